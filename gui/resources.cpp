// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/resources.h"

#include <QPainter>
#include <QPixmap>

#include "gui/resource_ids.h"

namespace plover {

using namespace shell;

const StringTable& StringResources() {
  static const StringTable table{
      {kFrameTitleString, "PLOVER"},
      {kAppTitleString, "plover"},
      {kMessageCaptionString, "PLOVER"},
      {kUntitledString, "Untitled"},
  };
  return table;
}

const std::vector<PopupResource>& MainMenu() {
  static const std::vector<PopupResource> menu{
      {QStringLiteral("&File"),
       {
           {QStringLiteral("&New\tCtrl+N"), ID_FILE_NEW},
           {QStringLiteral("&Open...\tCtrl+O"), ID_FILE_OPEN},
           {QStringLiteral("&Save\tCtrl+S"), ID_FILE_SAVE},
           {QStringLiteral("Save &As..."), ID_FILE_SAVE_AS},
           {QString(), 0},
           {QStringLiteral("E&xit"), ID_APP_EXIT},
       }},
      {QStringLiteral("&Tools"),
       {
           {QStringLiteral("Verify"), ID_TOOLS_VERIFY},
           {QStringLiteral("Upload"), ID_TOOLS_UPLOAD},
           {QStringLiteral("Download"), ID_TOOLS_DOWNLOAD},
           {QStringLiteral("Modify"), ID_TOOLS_MODIFY},
           {QString(), 0},
           {QStringLiteral("Verify after Download"), ID_TOOLS_VERIFY_AFTER_DOWNLOAD, true},
           {QString(), 0},
           {QStringLiteral("Port..."), ID_TOOLS_PORT},
       }},
      {QStringLiteral("&Help"),
       {
           {QStringLiteral("&About plover..."), ID_APP_ABOUT},
       }},
  };
  return menu;
}

const std::vector<AcceleratorResource>& MainAccelerators() {
  static const std::vector<AcceleratorResource> table{
      {Qt::CTRL | Qt::Key_N, ID_FILE_NEW},
      {Qt::CTRL | Qt::Key_O, ID_FILE_OPEN},
      {Qt::CTRL | Qt::Key_S, ID_FILE_SAVE},
      // The standard editing and pane keys; nothing in the program handles their commands.
      {Qt::CTRL | Qt::Key_Z, ID_EDIT_UNDO},
      {Qt::CTRL | Qt::Key_X, ID_EDIT_CUT},
      {Qt::CTRL | Qt::Key_C, ID_EDIT_COPY},
      {Qt::CTRL | Qt::Key_V, ID_EDIT_PASTE},
      {Qt::ALT | Qt::Key_Backspace, ID_EDIT_UNDO},
      {Qt::SHIFT | Qt::Key_Delete, ID_EDIT_CUT},
      {Qt::CTRL | Qt::Key_Insert, ID_EDIT_COPY},
      {Qt::SHIFT | Qt::Key_Insert, ID_EDIT_PASTE},
      {QKeyCombination(Qt::Key_F6), ID_NEXT_PANE},
      {Qt::SHIFT | Qt::Key_F6, ID_PREV_PANE},
  };
  return table;
}

const DialogTemplate& AboutBoxTemplate() {
  static const DialogTemplate about{
      kAboutBoxTemplate,
      QStringLiteral("About plover"),
      QSize(235, 55),
      QStringLiteral("MS Sans Serif"),
      8,
      {
          {ControlKind::Icon, kUnaddressedControl, QString(), QRect(11, 17, 20, 20), kStyleNone,
           kMainFrameResource},
          {ControlKind::StaticText, kUnaddressedControl, QStringLiteral("plover Version 1.1"),
           QRect(40, 10, 119, 8), kAlignLeft | kNoPrefix},
          {ControlKind::DefaultPushButton, IDOK, QStringLiteral("OK"), QRect(178, 7, 50, 14),
           kTabStop},
      },
  };
  return about;
}

namespace {

QPixmap DrawIcon(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing, true);
  const qreal unit = size / 32.0;
  // Eight pins on each long side of a small package.
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(170, 170, 170));
  for (int i = 0; i < 4; ++i) {
    const qreal y = (7 + i * 6) * unit;
    painter.drawRect(QRectF(4 * unit, y, 5 * unit, 2 * unit));
    painter.drawRect(QRectF(23 * unit, y, 5 * unit, 2 * unit));
  }
  painter.setBrush(QColor(40, 40, 48));
  painter.drawRoundedRect(QRectF(8 * unit, 4 * unit, 16 * unit, 24 * unit), 2 * unit, 2 * unit);
  painter.setBrush(QColor(230, 190, 60));
  painter.drawEllipse(QRectF(11 * unit, 6 * unit, 3 * unit, 3 * unit));
  return pixmap;
}

}  // namespace

QIcon ProgramIcon() {
  QIcon icon;
  for (const int size : {16, 32, 48}) icon.addPixmap(DrawIcon(size));
  return icon;
}

}  // namespace plover
