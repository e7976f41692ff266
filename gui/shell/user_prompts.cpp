// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/shell/user_prompts.h"

#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include "gui/shell/command_ids.h"

namespace shell {

namespace {

QMessageBox::Icon ToQtIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information:
      return QMessageBox::Information;
    case MessageIcon::Exclamation:
      return QMessageBox::Warning;
    case MessageIcon::Stop:
      return QMessageBox::Critical;
    case MessageIcon::Question:
      return QMessageBox::Question;
    case MessageIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

int WidgetPrompts::ShowMessageBox(const MessageBoxRequest& request) {
  QMessageBox box(ToQtIcon(request.icon), request.caption, request.text, QMessageBox::NoButton,
                  request.owner);
  box.setTextFormat(Qt::PlainText);
  switch (request.buttons) {
    case MessageButtons::Ok:
      box.setStandardButtons(QMessageBox::Ok);
      box.setDefaultButton(QMessageBox::Ok);
      break;
    case MessageButtons::OkCancel:
      box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
      box.setDefaultButton(QMessageBox::Ok);
      break;
    case MessageButtons::YesNo:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      box.setDefaultButton(QMessageBox::Yes);
      break;
  }
  switch (box.exec()) {
    case QMessageBox::Ok:
      return IDOK;
    case QMessageBox::Yes:
      return IDYES;
    case QMessageBox::No:
      return IDNO;
    default:
      break;
  }
  // Escape or the close box: the box's own cancel reply.
  return request.buttons == MessageButtons::YesNo ? IDNO : IDCANCEL;
}

void PrepareFileDialog(QFileDialog& dialog, const FileDialogRequest& request) {
  dialog.setAcceptMode(request.open_dialog ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
  dialog.setFileMode((request.flags & kFileMustExist) != 0 ? QFileDialog::ExistingFile
                                                           : QFileDialog::AnyFile);
  dialog.setNameFilters(QtNameFilters(request.filter));
  // Without a default extension the name is taken exactly as typed, whatever filter is chosen.
  if (!request.default_extension.isEmpty()) {
    dialog.setDefaultSuffix(request.default_extension);
    // The name decides the file's format, so a name typed without an extension gets the one of
    // the filter the user chose.
    const QString fallback = request.default_extension;
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog, fallback](const QString& chosen) {
                       dialog.setDefaultSuffix(SuffixOfNameFilter(chosen, fallback));
                     });
  }
  // An open dialog never asks about replacing a file; the command decides what to do with it.
  dialog.setOption(QFileDialog::DontConfirmOverwrite, request.open_dialog);
  // A pattern as the initial name only chooses what is listed, which the filter already does.
  if (!request.initial_name.isEmpty() && !request.initial_name.contains(u'*') &&
      !request.initial_name.contains(u'?')) {
    dialog.selectFile(request.initial_name);
  }
}

std::optional<QString> WidgetPrompts::RunFileDialog(const FileDialogRequest& request) {
  QFileDialog dialog(request.owner);
  PrepareFileDialog(dialog, request);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return std::nullopt;
  return QFileInfo(chosen.front()).absoluteFilePath();
}

int WidgetPrompts::RunModal(QDialog& dialog) { return dialog.exec(); }

std::vector<FileFilterEntry> ParseFileFilter(const QString& filter) {
  std::vector<FileFilterEntry> entries;
  const QStringList parts = filter.split(u'|');
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].isEmpty()) break;  // the "||" that ends the filter
    entries.push_back({parts[i], parts[i + 1].split(u';', Qt::SkipEmptyParts)});
  }
  return entries;
}

QStringList QtNameFilters(const QString& filter) {
  QStringList result;
  for (const auto& entry : ParseFileFilter(filter)) {
    QStringList patterns;
    for (const auto& pattern : entry.patterns) {
      patterns << (pattern == QStringLiteral("*.*") ? QStringLiteral("*") : pattern.trimmed());
    }
    // The description already names its patterns; QFileDialog reads them from the parentheses.
    QString description = entry.description;
    const qsizetype paren = description.indexOf(u'(');
    if (paren >= 0) description = description.left(paren).trimmed();
    result << QStringLiteral("%1 (%2)").arg(description, patterns.join(u' '));
  }
  return result;
}

QString SuffixOfNameFilter(const QString& chosen, const QString& fallback) {
  const qsizetype open = chosen.indexOf(u'(');
  const qsizetype close = chosen.indexOf(u')', open);
  if (open < 0 || close < 0) return fallback;
  const QString first =
      chosen.mid(open + 1, close - open - 1).split(u' ', Qt::SkipEmptyParts).value(0);
  if (!first.startsWith(QStringLiteral("*.")) || first.size() < 3 || first.indexOf(u'*', 1) >= 0) {
    return fallback;
  }
  return first.mid(2);
}

}  // namespace shell
