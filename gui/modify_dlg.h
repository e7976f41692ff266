// SPDX-License-Identifier: GPL-3.0-or-later
// CModifyDlg: the Modify dialog, on dialog template 130. One two-character field per register
// shows its byte in hexadecimal; OK checks every field and stores them into the application's
// EepromImage only when all of them are good.
#pragma once

#include <QString>
#include <QStringView>
#include <array>
#include <cstdint>
#include <optional>

#include "gui/modify_template.h"
#include "gui/shell/dialog_template.h"

class QLineEdit;

namespace plover {

class CModifyDlg : public shell::TemplateDialog {
 public:
  // Prepares the fields from the application's EepromImage as it is now.
  explicit CModifyDlg(QWidget* parent = nullptr);

  // OK and Enter: every bad field gets its own error box, in register order; the dialog stays
  // open. With none bad, the image takes all 128 values and the dialog ends with IDOK.
  void OnOK() override;

  // Field i, bound to the control with id 1000 + i.
  std::array<QLineEdit*, kRegisterFieldCount> FieldEdits{};
  // The text of field i, exchanged with the control by DoDataExchange.
  std::array<QString, kRegisterFieldCount> FieldTexts;

 protected:
  // save: the fields' texts into FieldTexts; else FieldTexts into the fields, each limited to
  // two characters.
  void DoDataExchange(bool save);
  // Fills the fields and puts the focus on OK.
  void OnInitDialog();
};

// A field's text as OK accepts it: one or two hexadecimal digits and nothing else.
[[nodiscard]] bool IsRegisterText(QStringView text);

// Reads `text` the way the C library's "%x" conversion does: leading white space, then an
// optional sign, then hexadecimal digits up to the first character that is not one. Nothing when
// no digit was read; a minus sign negates modulo 2^32.
[[nodiscard]] std::optional<std::uint32_t> ReadHexNumber(QStringView text);

// "Invalid value for register %3d."
[[nodiscard]] QString InvalidRegisterText(int register_number);

}  // namespace plover
