// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/grid_geometry.h"

#include <algorithm>

namespace plover::grid {

namespace {

// Division rounding towards minus infinity, for positions left of or above the cells.
int FloorDiv(int a, int b) {
  const int q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

}  // namespace

Metrics MetricsForDpi(int dpi_x, int dpi_y) {
  Metrics m;
  m.CellWidth = dpi_x / 2;
  m.HeaderWidth = m.CellWidth / 2;
  m.RowHeight = dpi_y / 4;
  return m;
}

QSize GridSize(const Metrics& m) {
  return {m.HeaderWidth + kColumns * m.CellWidth, (kRows + 1) * m.RowHeight};
}

Box HeaderRowBand(const Metrics& m) { return {0, 0, GridSize(m).width(), m.RowHeight}; }

Box HeaderColumnBand(const Metrics& m) { return {0, 0, m.HeaderWidth, GridSize(m).height()}; }

Box RowLabelRect(const Metrics& m, int r) {
  return {0, (r + 1) * m.RowHeight, m.HeaderWidth + 5, (r + 2) * m.RowHeight};
}

Box RowLabelFrame(const Metrics& m, int r) {
  return {0, (r + 1) * m.RowHeight + 1, m.HeaderWidth + 5, (r + 2) * m.RowHeight};
}

Box ColumnLabelRect(const Metrics& m, int k) {
  return {m.HeaderWidth + k * m.CellWidth, 0, m.HeaderWidth + (k + 1) * m.CellWidth, m.RowHeight};
}

Box ColumnLabelFrame(const Metrics& m, int k) {
  return {m.HeaderWidth + k * m.CellWidth + 1, 0, m.HeaderWidth + (k + 1) * m.CellWidth,
          m.RowHeight};
}

Box CellRect(const Metrics& m, int r, int k) {
  return {m.HeaderWidth + k * m.CellWidth + 1, (r + 1) * m.RowHeight + 1,
          m.HeaderWidth + (k + 1) * m.CellWidth, (r + 2) * m.RowHeight};
}

Segment HeaderRowLine(const Metrics& m) {
  return {{0, m.RowHeight}, {GridSize(m).width(), m.RowHeight}};
}

Segment HeaderColumnLine(const Metrics& m) {
  return {{m.HeaderWidth, 0}, {m.HeaderWidth, GridSize(m).height()}};
}

Segment RowLabelLine(const Metrics& m, int r) {
  return {{0, (r + 1) * m.RowHeight}, {m.HeaderWidth, (r + 1) * m.RowHeight}};
}

Segment ColumnLabelLine(const Metrics& m, int k) {
  const int x = m.HeaderWidth + k * m.CellWidth;
  return {{x, 0}, {x, m.RowHeight}};
}

int CellRange::LastColumnOfRow(int r) const {
  return r == kRows - 1 ? std::min(last_column, (kRegisters - 1) % kColumns) : last_column;
}

CellRange CellsToPaint(const Metrics& m, const Box& clip) {
  CellRange range;
  if (clip.IsEmpty() || m.RowHeight <= 0 || m.CellWidth <= 0) return range;
  // Row r spans (r+1)*RowHeight up to (r+2)*RowHeight; column k spans HeaderWidth + k*CellWidth
  // up to HeaderWidth + (k+1)*CellWidth. The rows are those that meet the clip box; the columns
  // reach one column further right than the clip box when its right edge falls inside the grid,
  // which repaints a cell more than needed and never one too few.
  range.first_row = std::max(0, FloorDiv(clip.top - m.RowHeight, m.RowHeight));
  range.last_row = std::min(kRows - 1, FloorDiv(clip.bottom - 1 - m.RowHeight, m.RowHeight));
  range.first_column = std::max(0, FloorDiv(clip.left - m.HeaderWidth, m.CellWidth));
  range.last_column =
      std::min(kColumns - 1, FloorDiv(clip.right - 1 - m.HeaderWidth + m.CellWidth, m.CellWidth));
  return range;
}

int RegisterAt(int r, int k) {
  if (r < 0 || r >= kRows || k < 0 || k >= kColumns) return -1;
  const int n = r * kColumns + k;
  return n < kRegisters ? n : -1;
}

QPoint CellOfRegister(int n) { return {n % kColumns, n / kColumns}; }

QString CellText(std::uint8_t value) {
  return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
}

QString RowLabel(int r) { return QString::number(10 * r); }

QString ColumnLabel(int k) { return QString::number(k); }

}  // namespace plover::grid
