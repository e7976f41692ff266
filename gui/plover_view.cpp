// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/plover_view.h"

#include "gui/plover_app.h"
#include "gui/shell/dialog_template.h"

namespace plover {

using shell::BackgroundMode;
using shell::Box;
using shell::DrawSurface;

const QColor CploverView::kGridPenColor{192, 192, 192};
const QColor CploverView::kHeaderBrushColor{192, 192, 192};  // the light-grey stock brush
const QColor CploverView::kFrameLightColor{255, 255, 255};
const QColor CploverView::kFrameShadowColor{128, 128, 128};

namespace {
constexpr unsigned kCentredLine = shell::kTextCenter | shell::kTextVCenter | shell::kTextSingleLine;
}  // namespace

CploverView::CploverView(QWidget* parent) : shell::ScrollView(parent) {
  // 8 points of "MS Sans Serif" at the screen's resolution; a sans face stands in where the face
  // is missing.
  CellFont = QFont(QStringLiteral("MS Sans Serif"));
  CellFont.setStyleHint(QFont::SansSerif);
  CellFont.setPixelSize(shell::ScaleRounded(80, LogicalDpi().height(), 720));
}

void CploverView::OnInitialUpdate() {
  shell::ScrollView::OnInitialUpdate();
  const QSize dpi = LogicalDpi();
  const grid::Metrics m = grid::MetricsForDpi(dpi.width(), dpi.height());
  CellWidth = m.CellWidth;
  HeaderWidth = m.HeaderWidth;
  RowHeight = m.RowHeight;
  SetScrollSizes(grid::GridSize(m));
}

Box CploverView::CellRect(int row, int column) const {
  return grid::CellRect(Metrics(), row, column);
}

void CploverView::OnDraw(DrawSurface& dc) {
  const grid::Metrics m = Metrics();
  const shell::Pen old_pen = dc.SelectPen(shell::Pen{kGridPenColor, 0});

  dc.FillRect(grid::HeaderRowBand(m), kHeaderBrushColor);
  dc.FillRect(grid::HeaderColumnBand(m), kHeaderBrushColor);

  const grid::Segment under_header = grid::HeaderRowLine(m);
  dc.Line(under_header.from, under_header.to);
  const grid::Segment right_of_header = grid::HeaderColumnLine(m);
  dc.Line(right_of_header.from, right_of_header.to);

  dc.SetBackgroundMode(BackgroundMode::Transparent);

  for (int r = 0; r < grid::kRows; ++r) {
    const grid::Segment line = grid::RowLabelLine(m, r);
    dc.Line(line.from, line.to);
    dc.DrawText(grid::RowLabel(r), grid::RowLabelRect(m, r), kCentredLine);
    dc.Draw3dRect(grid::RowLabelFrame(m, r), kFrameLightColor, kFrameShadowColor);
  }
  for (int k = 0; k < grid::kColumns; ++k) {
    const grid::Segment line = grid::ColumnLabelLine(m, k);
    dc.Line(line.from, line.to);
    dc.DrawText(grid::ColumnLabel(k), grid::ColumnLabelRect(m, k), kCentredLine);
    dc.Draw3dRect(grid::ColumnLabelFrame(m, k), kFrameLightColor, kFrameShadowColor);
  }

  const grid::CellRange cells = grid::CellsToPaint(m, dc.ClipBox());
  for (int r = cells.first_row; r <= cells.last_row; ++r) {
    for (int k = cells.first_column; k <= cells.LastColumnOfRow(r); ++k) DrawCell(dc, r, k);
  }

  dc.SelectPen(old_pen);
}

void CploverView::DrawCell(DrawSurface& dc, int row, int column) {
  const int n = grid::RegisterAt(row, column);
  if (n < 0) return;
  const QString text = grid::CellText(TheApp().EepromImage[static_cast<std::size_t>(n)]);
  dc.SetBackgroundMode(BackgroundMode::Transparent);
  const QFont old_font = dc.SelectFont(CellFont);
  dc.DrawText(text, CellRect(row, column), kCentredLine);
  dc.SelectFont(old_font);
}

}  // namespace plover
