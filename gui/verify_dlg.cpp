// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/verify_dlg.h"

#include <QFontMetrics>
#include <QPainter>

#include "gui/plover_app.h"
#include "gui/resource_ids.h"
#include "gui/shell/painter_surface.h"

namespace plover {

namespace {

// Where the rows start and how far apart they and the groups stand, in pixels.
constexpr int kFirstRowTop = 55;
constexpr int kRowPitch = 15;
constexpr int kGroupPitch = 205;
constexpr int kAddressX = 40;
constexpr int kWriteDataX = 105;
constexpr int kReadDataX = 165;
constexpr int kPassX = 80;
constexpr int kPassY = 100;

constexpr int kFontCellHeight = 16;

QString Hex(std::uint8_t value) {
  return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
}

}  // namespace

VerifyReport VerifyReportItems(const bus::Image& image, const bus::Image& readback) {
  VerifyReport report;
  for (std::size_t a = 0; a < bus::kEepromSize; ++a) {
    if (image[a] == readback[a]) continue;
    if (report.mismatches < kVerifyShownRows) {
      const int group = report.mismatches / kVerifyRowsPerGroup;
      const int row = report.mismatches % kVerifyRowsPerGroup;
      const int y = kFirstRowTop + kRowPitch * row;
      const int x = kGroupPitch * group;
      report.texts.push_back(
          {QStringLiteral("%1").arg(static_cast<int>(a), 2, 10, QLatin1Char('0')),
           {x + kAddressX, y}});
      report.texts.push_back({Hex(image[a]), {x + kWriteDataX, y}});
      report.texts.push_back({Hex(readback[a]), {x + kReadDataX, y}});
    }
    ++report.mismatches;
  }
  if (report.mismatches == 0) {
    for (int group = 0; group < kVerifyGroups; ++group) {
      report.texts.push_back({QStringLiteral("PASS!"), {kGroupPitch * group + kPassX, kPassY}});
    }
  }
  return report;
}

const shell::DialogTemplate& VerifyDialogTemplate() {
  using shell::ControlKind;
  using shell::kAlignLeft;
  using shell::kStyleNone;
  using shell::kUnaddressedControl;
  const QString address = QStringLiteral("EEPROM Addresss");
  const QString write = QStringLiteral("Write Data");
  const QString read = QStringLiteral("Read Data");
  static const shell::DialogTemplate verify{
      kVerifyTemplate,
      QStringLiteral("Plover Verify"),
      QSize(425, 262),
      QStringLiteral("MS Sans Serif"),
      8,
      {
          {ControlKind::DefaultPushButton, shell::IDOK, QStringLiteral("OK"),
           QRect(187, 234, 50, 14), shell::kTabStop},
          {ControlKind::StaticText, kUnaddressedControl, address, QRect(15, 14, 34, 18),
           kAlignLeft},
          {ControlKind::StaticText, kUnaddressedControl, write, QRect(53, 14, 37, 12), kStyleNone},
          {ControlKind::StaticText, kUnaddressedControl, read, QRect(95, 14, 38, 12), kStyleNone},
          {ControlKind::GroupBox, kUnaddressedControl, QString(), QRect(135, 25, 8, 207),
           kStyleNone},
          {ControlKind::GroupBox, kUnaddressedControl, QString(), QRect(272, 25, 8, 206),
           kStyleNone},
          {ControlKind::StaticText, kUnaddressedControl, address, QRect(149, 14, 34, 18),
           kStyleNone},
          {ControlKind::StaticText, kUnaddressedControl, write, QRect(187, 14, 37, 12), kStyleNone},
          {ControlKind::StaticText, kUnaddressedControl, read, QRect(229, 14, 38, 12), kStyleNone},
          {ControlKind::StaticText, kUnaddressedControl, address, QRect(288, 14, 34, 18),
           kStyleNone},
          {ControlKind::StaticText, kUnaddressedControl, write, QRect(326, 14, 37, 12), kStyleNone},
          {ControlKind::StaticText, kUnaddressedControl, read, QRect(368, 14, 38, 12), kStyleNone},
      },
  };
  return verify;
}

QFont VerifyFont() {
  QFont font(QStringLiteral("Arial"));
  font.setStyleHint(QFont::SansSerif);
  // The height names the whole character cell, so the em is somewhat smaller: the largest pixel
  // size whose ascent and descent fit in it.
  for (int size = kFontCellHeight; size > 1; --size) {
    font.setPixelSize(size);
    const QFontMetrics metrics(font);
    if (metrics.ascent() + metrics.descent() <= kFontCellHeight) break;
  }
  return font;
}

CVerifyDlg::CVerifyDlg(QWidget* parent) : shell::TemplateDialog(VerifyDialogTemplate(), parent) {}

void CVerifyDlg::OnPaint(shell::DrawSurface& dc) {
  const CploverApp& app = TheApp();
  const QFont old_font = dc.SelectFont(VerifyFont());
  const QColor old_background = dc.SetBackgroundColor(palette().color(QPalette::Button));
  for (const VerifyText& item : VerifyReportItems(app.EepromImage, app.ReadBackImage).texts) {
    dc.TextOut(item.origin, item.text);
  }
  dc.SetBackgroundColor(old_background);
  dc.SelectFont(old_font);
}

void CVerifyDlg::paintEvent(QPaintEvent* event) {
  shell::TemplateDialog::paintEvent(event);
  QPainter painter(this);
  // The whole client area, not only the part this paint was asked for.
  shell::PainterSurface surface(painter, QPoint(0, 0), rect());
  OnPaint(surface);
}

}  // namespace plover
