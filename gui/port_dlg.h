// SPDX-License-Identifier: GPL-3.0-or-later
// CPortDlg: the dialog of Tools > Port.... It lists the ports this machine
// offers (what
// --list-ports prints: each port's --port value, what it is, whether this user
// may open it and what to do if not), takes any --port specification in a
// field, checked as the command line checks it, and tests the board through it
// (the line check and both devices) on Test. OK accepts a valid specification
// only; a bad one is refused in the dialog with the command line's message, and
// the dialog stays open.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "bus/bus_transactions.h"
#include "ports/port_spec.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;

namespace plover {

// Probes the board through the port `spec` names.
using PortProbe = std::function<bus::ProbeReport(const bus::PortSpec& spec)>;

class CPortDlg : public QDialog {
 public:
  // `ports`: what the backends found; `current`: the field's text at first;
  // `probe` runs Test.
  CPortDlg(const std::vector<ports::ListedPort>& ports, const QString& current, PortProbe probe,
           QWidget* parent = nullptr);

  // The port specification OK accepted; set once the dialog ended with IDOK.
  [[nodiscard]] const std::optional<bus::PortSpec>& ChosenSpec() const { return chosen_; }

  // Test: checks the field and probes the board through it, and shows what came
  // of it.
  void OnTest();

  // The widgets a user (and a test) works with.
  [[nodiscard]] QTreeWidget* PortList() const { return list_; }
  [[nodiscard]] QLineEdit* SpecField() const { return field_; }
  [[nodiscard]] QPushButton* TestButton() const { return test_; }
  [[nodiscard]] QPushButton* OkButton() const { return ok_; }
  // What the dialog says: the last test's lines, or why the field was refused.
  [[nodiscard]] QString Report() const;

 protected:
  void accept() override;
  void reject() override;

 private:
  // The field parsed as --port parses it; nothing, with the reason shown, when
  // it is refused.
  std::optional<bus::PortSpec> CheckField();
  void ShowReport(const QString& text);
  void TakeListedPort();

  PortProbe probe_;
  QTreeWidget* list_ = nullptr;
  QLineEdit* field_ = nullptr;
  QPushButton* test_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPlainTextEdit* report_ = nullptr;
  std::optional<bus::PortSpec> chosen_;
};

}  // namespace plover
