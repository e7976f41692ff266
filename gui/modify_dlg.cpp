// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/modify_dlg.h"

#include <QLineEdit>

#include "gui/plover_app.h"
#include "gui/resource_ids.h"
#include "gui/shell/user_prompts.h"

namespace plover {

namespace {

constexpr int kFieldLimit = 2;

// The digits of the C locale only; other scripts' digits are not hexadecimal here.
std::optional<std::uint32_t> HexDigitValue(QChar c) {
  const char16_t u = c.unicode();
  if (u >= u'0' && u <= u'9') return u - u'0';
  if (u >= u'a' && u <= u'f') return u - u'a' + 10;
  if (u >= u'A' && u <= u'F') return u - u'A' + 10;
  return std::nullopt;
}

// The C library's white space: space, tab, newline, vertical tab, form feed, carriage return.
bool IsCSpace(QChar c) {
  const char16_t u = c.unicode();
  return u == u' ' || (u >= u'\t' && u <= u'\r');
}

}  // namespace

bool IsRegisterText(QStringView text) {
  if (text.isEmpty() || text.size() > kFieldLimit) return false;
  for (const QChar c : text) {
    if (!HexDigitValue(c)) return false;
  }
  return true;
}

std::optional<std::uint32_t> ReadHexNumber(QStringView text) {
  qsizetype at = 0;
  while (at < text.size() && IsCSpace(text[at])) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == u'+' || text[at] == u'-')) {
    negative = text[at] == u'-';
    ++at;
  }
  std::uint32_t value = 0;
  bool any = false;
  for (; at < text.size(); ++at) {
    const std::optional<std::uint32_t> digit = HexDigitValue(text[at]);
    if (!digit) break;
    value = value * 16 + *digit;  // wraps modulo 2^32, as the conversion does
    any = true;
  }
  if (!any) return std::nullopt;
  return negative ? 0u - value : value;
}

QString InvalidRegisterText(int register_number) {
  return QStringLiteral("Invalid value for register %1.").arg(register_number, 3);
}

CModifyDlg::CModifyDlg(QWidget* parent) : shell::TemplateDialog(ModifyDialogTemplate(), parent) {
  const bus::Image& image = TheApp().EepromImage;
  for (int i = 0; i < kRegisterFieldCount; ++i) {
    FieldTexts[i] = QString::asprintf("%02X", static_cast<unsigned>(image[i]));
    FieldEdits[i] = qobject_cast<QLineEdit*>(Control(kFirstRegisterField + i));
  }
  OnInitDialog();
}

void CModifyDlg::DoDataExchange(bool save) {
  for (int i = 0; i < kRegisterFieldCount; ++i) {
    QLineEdit* edit = FieldEdits[i];
    if (save) {
      FieldTexts[i] = edit->text();
    } else {
      edit->setText(FieldTexts[i]);
      // The field's own limit: neither typing nor pasting gets a third character in.
      edit->setMaxLength(kFieldLimit);
    }
  }
}

void CModifyDlg::OnInitDialog() {
  DoDataExchange(false);
  if (QWidget* ok = Control(shell::IDOK)) ok->setFocus(Qt::OtherFocusReason);
}

void CModifyDlg::OnOK() {
  DoDataExchange(true);
  CploverApp& app = TheApp();
  // The values go into a copy; the image takes them only when every field is good, so a failed
  // OK (and a Cancel after it) leaves the image, and the grid that shows it, as they were.
  bus::Image values = app.EepromImage;
  bool bad = false;
  for (int i = 0; i < kRegisterFieldCount; ++i) {
    const QString& text = FieldTexts[i];
    if (!IsRegisterText(text)) {
      bad = true;
      shell::MessageBoxRequest request;
      request.owner = this;
      request.text = InvalidRegisterText(i);
      request.caption = app.LoadString(kMessageCaptionString);
      request.icon = shell::MessageIcon::Stop;
      request.buttons = shell::MessageButtons::Ok;
      app.Prompts().ShowMessageBox(request);
      continue;
    }
    if (const std::optional<std::uint32_t> value = ReadHexNumber(text)) {
      values[i] = static_cast<std::uint8_t>(*value & 0xFFu);
    }
  }
  if (bad) return;
  app.EepromImage = values;
  DoDataExchange(true);
  EndDialog(shell::IDOK);
}

}  // namespace plover
