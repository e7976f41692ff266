// SPDX-License-Identifier: GPL-3.0-or-later
// Everything that asks the user and waits: message boxes, file dialogs and modal dialogs.
//
// Commands never open these themselves; they describe what to ask and hand the request to the
// application's UserPrompts. The program answers with real modal widgets (WidgetPrompts); tests
// answer with scripted replies, so no modal loop ever runs in a test.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <utility>
#include <vector>

class QDialog;
class QFileDialog;
class QWidget;

namespace shell {

enum class MessageIcon { None, Information, Exclamation, Stop, Question };
enum class MessageButtons { Ok, OkCancel, YesNo };

struct MessageBoxRequest {
  QWidget* owner = nullptr;  // nullptr: a box without owner
  QString text;
  QString caption;
  MessageIcon icon = MessageIcon::None;
  MessageButtons buttons = MessageButtons::Ok;
};

// Flags of the file dialogs, as the commands state them.
enum FileDialogFlag : unsigned {
  kHideReadOnly = 0x0004,   // no read-only check box
  kFileMustExist = 0x1000,  // only an existing file can be confirmed
};

struct FileDialogRequest {
  QWidget* owner = nullptr;
  bool open_dialog = true;  // the open-file dialog (title and buttons of opening); else save
  // "Description|patterns|Description|patterns||", patterns separated by ';'.
  QString filter;
  QString default_extension;  // appended to a name typed without one; empty: none is
  QString initial_name;       // a name, or a pattern such as "*.dat"
  unsigned flags = 0;         // FileDialogFlag bits
};

class UserPrompts {
 public:
  virtual ~UserPrompts() = default;

  // Shows the box and returns the button pressed (IDOK, IDCANCEL, IDYES, IDNO).
  virtual int ShowMessageBox(const MessageBoxRequest& request) = 0;

  // Runs the file dialog; the chosen file's full path, or nothing when it was cancelled.
  virtual std::optional<QString> RunFileDialog(const FileDialogRequest& request) = 0;

  // Runs `dialog` modally and returns its result code (IDOK, IDCANCEL, ...).
  virtual int RunModal(QDialog& dialog) = 0;

 protected:
  UserPrompts() = default;
  UserPrompts(const UserPrompts&) = default;
  UserPrompts& operator=(const UserPrompts&) = default;
};

// Sets up `dialog` as `request` asks, for WidgetPrompts to run it.
void PrepareFileDialog(QFileDialog& dialog, const FileDialogRequest& request);

// The real widgets: QMessageBox, QFileDialog and QDialog::exec.
class WidgetPrompts final : public UserPrompts {
 public:
  int ShowMessageBox(const MessageBoxRequest& request) override;
  std::optional<QString> RunFileDialog(const FileDialogRequest& request) override;
  int RunModal(QDialog& dialog) override;
};

// One entry of a file-dialog filter: its description and its patterns.
struct FileFilterEntry {
  QString description;
  QStringList patterns;
  friend bool operator==(const FileFilterEntry&, const FileFilterEntry&) = default;
};

// Splits "Description|patterns|...||" into its entries.
[[nodiscard]] std::vector<FileFilterEntry> ParseFileFilter(const QString& filter);

// The filter in the form QFileDialog takes ("Data files (*.dat);;All files (*)"). "*.*" becomes
// "*", which on this system also matches names without a dot.
[[nodiscard]] QStringList QtNameFilters(const QString& filter);

// The extension a name typed without one gets while the Qt name filter `chosen` is selected: its
// first pattern's ("hex" for "Intel HEX (*.hex *.ihex)"), or `fallback` when that pattern names
// no extension ("All files (*)").
[[nodiscard]] QString SuffixOfNameFilter(const QString& chosen, const QString& fallback);

}  // namespace shell
