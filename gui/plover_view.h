// SPDX-License-Identifier: GPL-3.0-or-later
// CploverView: the grid of the 128 registers of EepromImage, 13 rows by 10 columns, with grey
// header bands numbering rows and columns. It only displays; it reads the image from the
// application object at every paint.
#pragma once

#include <QFont>

#include "gui/grid_geometry.h"
#include "gui/shell/scroll_view.h"

namespace plover {

class CploverView : public shell::ScrollView {
 public:
  explicit CploverView(QWidget* parent = nullptr);

  // Reads the resolution, sets the three sizes and the scroll size; once, at start-up.
  void OnInitialUpdate() override;
  void OnDraw(shell::DrawSurface& dc) override;
  void DrawCell(shell::DrawSurface& dc, int row, int column);
  [[nodiscard]] shell::Box CellRect(int row, int column) const;

  [[nodiscard]] grid::Metrics Metrics() const { return {HeaderWidth, RowHeight, CellWidth}; }
  [[nodiscard]] const QFont& GetCellFont() const { return CellFont; }

  // Grid pen, header brush and label frame colours.
  static const QColor kGridPenColor;
  static const QColor kHeaderBrushColor;
  static const QColor kFrameLightColor;
  static const QColor kFrameShadowColor;

 private:
  QFont CellFont;
  int HeaderWidth = 0;
  int RowHeight = 0;
  int CellWidth = 0;
};

}  // namespace plover
