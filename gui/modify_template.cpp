// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/modify_template.h"

#include <array>

#include "gui/resource_ids.h"

namespace plover {

namespace {

using namespace shell;

// Ten registers a row; row r holds registers 10r to 10r + 9 (the last row only eight).
constexpr int kRowCount = 13;
constexpr int kColumnCount = 10;

// Left edge of the fields of each column, and of the column's heading.
constexpr std::array<int, kColumnCount> kFieldX{67, 94, 123, 151, 180, 208, 237, 262, 289, 317};
constexpr std::array<int, kColumnCount> kColumnLabelX{72, 99, 127, 155, 183, 212, 241, 265, 292, 318};
// Top of each row's label ("0", "10", ..., "120").
constexpr std::array<int, kRowCount> kRowLabelY{30,  52,  74,  95,  118, 139, 160,
                                                184, 205, 227, 249, 271, 294};

constexpr int FieldY(int row) { return 27 + 22 * row; }
constexpr int FrameY(int row) { return 20 + 22 * row; }

DialogTemplate MakeModifyTemplate() {
  DialogTemplate modify{
      kModifyTemplate, QStringLiteral("PLOVER"), QSize(380, 341), QStringLiteral("MS Sans Serif"),
      8,               {},
  };
  auto& controls = modify.controls;
  // OK first: it is the first tab stop and takes the focus when the dialog opens.
  controls.push_back({ControlKind::DefaultPushButton, IDOK, QStringLiteral("OK"),
                      QRect(186, 314, 50, 14), kTabStop});
  for (int i = 0; i < kRegisterFieldCount; ++i) {
    const int row = i / kColumnCount;
    const int column = i % kColumnCount;
    controls.push_back({ControlKind::Edit, kFirstRegisterField + i, QString(),
                        QRect(kFieldX[column], FieldY(row), 13, 14), kAutoHScroll | kTabStop});
  }
  for (int column = 0; column < kColumnCount; ++column) {
    const int width = column == 9 ? 8 : 9;
    controls.push_back({ControlKind::StaticText, kUnaddressedControl, QString::number(column),
                        QRect(kColumnLabelX[column], 13, width, 8), kAlignLeft});
  }
  for (int row = 0; row < kRowCount; ++row) {
    controls.push_back({ControlKind::StaticText, kUnaddressedControl,
                        QString::number(row * kColumnCount), QRect(42, kRowLabelY[row], 16, 8),
                        kAlignCenter});
  }
  for (int row = 0; row < kRowCount; ++row) {
    controls.push_back({ControlKind::GroupBox, kUnaddressedControl, QString(),
                        QRect(59, FrameY(row), 279, 24), kStyleNone});
  }
  return modify;
}

}  // namespace

const DialogTemplate& ModifyDialogTemplate() {
  static const DialogTemplate modify = MakeModifyTemplate();
  return modify;
}

}  // namespace plover
