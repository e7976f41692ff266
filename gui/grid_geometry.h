// SPDX-License-Identifier: GPL-3.0-or-later
// The geometry of the data view's grid, as plain functions of the three sizes that follow the
// screen's resolution. The view draws exactly what these return; tests check them directly.
//
// Coordinates are pixels from the top-left corner of the scrolled grid. The grid has a header row
// on top (column labels 0 to 9), a header column on the left (row labels 0, 10, ..., 120) and 13
// rows of 10 cells; register n sits in row n / 10, column n % 10, and row 12 holds only 120 to 127.
#pragma once

#include <QPoint>
#include <QSize>
#include <QString>
#include <cstdint>

#include "gui/shell/draw_surface.h"

namespace plover::grid {

using shell::Box;

inline constexpr int kRows = 13;
inline constexpr int kColumns = 10;
inline constexpr int kRegisters = 128;

struct Metrics {
  int HeaderWidth = 0;  // CellWidth / 2
  int RowHeight = 0;    // vertical pixels per inch / 4
  int CellWidth = 0;    // horizontal pixels per inch / 2
  friend bool operator==(const Metrics&, const Metrics&) = default;
};

// Half an inch per data column, a quarter inch for the header column and per row.
[[nodiscard]] Metrics MetricsForDpi(int dpi_x, int dpi_y);

// The scroll size: (HeaderWidth + 10 * CellWidth, 14 * RowHeight).
[[nodiscard]] QSize GridSize(const Metrics& m);

[[nodiscard]] Box HeaderRowBand(const Metrics& m);
[[nodiscard]] Box HeaderColumnBand(const Metrics& m);
// Text rectangle of row r's label; it reaches 5 pixels past the header column.
[[nodiscard]] Box RowLabelRect(const Metrics& m, int r);
[[nodiscard]] Box RowLabelFrame(const Metrics& m, int r);
[[nodiscard]] Box ColumnLabelRect(const Metrics& m, int k);
[[nodiscard]] Box ColumnLabelFrame(const Metrics& m, int k);
// Text rectangle of the cell in row r, column k.
[[nodiscard]] Box CellRect(const Metrics& m, int r, int k);

// A grid line from `from` up to, not including, `to`.
struct Segment {
  QPoint from;
  QPoint to;
  friend bool operator==(const Segment&, const Segment&) = default;
};
[[nodiscard]] Segment HeaderRowLine(const Metrics& m);           // under the header row
[[nodiscard]] Segment HeaderColumnLine(const Metrics& m);        // right of the header column
[[nodiscard]] Segment RowLabelLine(const Metrics& m, int r);     // across the header column
[[nodiscard]] Segment ColumnLabelLine(const Metrics& m, int k);  // across the header row

// The cells whose row and column meet `clip`: rows first_row..last_row, columns
// first_column..last_column (empty when a first exceeds its last). Row 12 stops at column 7.
struct CellRange {
  int first_row = 0;
  int last_row = -1;
  int first_column = 0;
  int last_column = -1;
  [[nodiscard]] bool Empty() const { return first_row > last_row || first_column > last_column; }
  // The last column to paint in row r.
  [[nodiscard]] int LastColumnOfRow(int r) const;
  friend bool operator==(const CellRange&, const CellRange&) = default;
};
[[nodiscard]] CellRange CellsToPaint(const Metrics& m, const Box& clip);

// Register at row r, column k, or -1 where the grid has none (row 12, columns 8 and 9).
[[nodiscard]] int RegisterAt(int r, int k);
// Row and column of register n.
[[nodiscard]] QPoint CellOfRegister(int n);  // x = column, y = row

[[nodiscard]] QString CellText(std::uint8_t value);  // "%02X"
[[nodiscard]] QString RowLabel(int r);               // "%d" of 10 * r
[[nodiscard]] QString ColumnLabel(int k);            // "%d" of k

}  // namespace plover::grid
