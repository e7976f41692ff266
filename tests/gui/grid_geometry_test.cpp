// SPDX-License-Identifier: GPL-3.0-or-later
// The grid's geometry as plain functions: sizes per resolution, rectangles, lines, which cells a
// clip box needs, where each register sits and how it is written.
#include "gui/grid_geometry.h"

#include <gtest/gtest.h>

namespace {

using namespace plover::grid;
using shell::Box;

const Metrics k96 = MetricsForDpi(96, 96);

TEST(GridGeometry, SizesFollowTheResolution) {
  EXPECT_EQ(k96, (Metrics{24, 24, 48}));
  EXPECT_EQ(GridSize(k96), QSize(504, 336));
  const Metrics m120 = MetricsForDpi(120, 120);
  EXPECT_EQ(m120, (Metrics{30, 30, 60}));
  EXPECT_EQ(GridSize(m120), QSize(630, 420));
  EXPECT_EQ(MetricsForDpi(97, 99), (Metrics{24, 24, 48}));  // remainders are dropped
}

TEST(GridGeometry, RectanglesAt96Dpi) {
  EXPECT_EQ(HeaderRowBand(k96), (Box{0, 0, 504, 24}));
  EXPECT_EQ(HeaderColumnBand(k96), (Box{0, 0, 24, 336}));
  EXPECT_EQ(RowLabelRect(k96, 0), (Box{0, 24, 29, 48}));
  EXPECT_EQ(RowLabelFrame(k96, 12), (Box{0, 313, 29, 336}));
  EXPECT_EQ(ColumnLabelRect(k96, 9), (Box{456, 0, 504, 24}));
  EXPECT_EQ(ColumnLabelFrame(k96, 0), (Box{25, 0, 72, 24}));
  EXPECT_EQ(CellRect(k96, 0, 0), (Box{25, 25, 72, 48}));
  EXPECT_EQ(CellRect(k96, 12, 7), (Box{361, 313, 408, 336}));
}

TEST(GridGeometry, LinesAt96Dpi) {
  EXPECT_EQ(HeaderRowLine(k96), (Segment{{0, 24}, {504, 24}}));
  EXPECT_EQ(HeaderColumnLine(k96), (Segment{{24, 0}, {24, 336}}));
  EXPECT_EQ(RowLabelLine(k96, 3), (Segment{{0, 96}, {24, 96}}));
  EXPECT_EQ(ColumnLabelLine(k96, 2), (Segment{{120, 0}, {120, 24}}));
}

struct ClipCase {
  const char* name;
  Box clip;
  CellRange cells;
};

void PrintTo(const ClipCase& clip_case, std::ostream* out) { *out << clip_case.name; }

class CellsToPaintTest : public ::testing::TestWithParam<ClipCase> {};

TEST_P(CellsToPaintTest, RowsAndColumnsOfTheClipBox) {
  EXPECT_EQ(CellsToPaint(k96, GetParam().clip), GetParam().cells);
}

INSTANTIATE_TEST_SUITE_P(
    Clips, CellsToPaintTest,
    ::testing::Values(ClipCase{"WholeGrid", {0, 0, 504, 336}, {0, 12, 0, 9}},
                      ClipCase{"LargerWindow", {0, 0, 900, 700}, {0, 12, 0, 9}},
                      ClipCase{"LowerRight", {312, 280, 504, 336}, {10, 12, 6, 9}},
                      ClipCase{"LowerRightFromInsideColumn5", {310, 280, 504, 336}, {10, 12, 5, 9}},
                      // A right edge inside the grid takes in the column after it.
                      ClipCase{"OneCellExactly", {72, 48, 120, 72}, {1, 1, 1, 2}},
                      ClipCase{"LeftHalfOfColumn3", {168, 48, 190, 72}, {1, 1, 3, 4}},
                      ClipCase{"HeadersOnly", {0, 0, 24, 24}, {0, -1, 0, 0}},  // no row: nothing painted
                      ClipCase{"BelowTheGrid", {0, 336, 504, 400}, {13, 12, 0, 9}},
                      ClipCase{"RightOfTheGrid", {504, 0, 600, 336}, {0, 12, 10, 9}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GridGeometry, LastRowHasEightCells) {
  const CellRange all = CellsToPaint(k96, {0, 0, 504, 336});
  EXPECT_EQ(all.LastColumnOfRow(11), 9);
  EXPECT_EQ(all.LastColumnOfRow(12), 7);
  EXPECT_EQ(RegisterAt(12, 7), 127);
  EXPECT_EQ(RegisterAt(12, 8), -1);
  EXPECT_EQ(RegisterAt(12, 9), -1);
}

TEST(GridGeometry, RegisterNIsInRowNDiv10ColumnNMod10) {
  for (int n = 0; n < kRegisters; ++n) {
    const QPoint cell = CellOfRegister(n);
    EXPECT_EQ(RegisterAt(cell.y(), cell.x()), n);
  }
  EXPECT_EQ(CellOfRegister(57), QPoint(7, 5));
  EXPECT_EQ(RowLabel(5), QStringLiteral("50"));
  EXPECT_EQ(ColumnLabel(7), QStringLiteral("7"));
  EXPECT_EQ(RowLabel(12), QStringLiteral("120"));
}

TEST(GridGeometry, CellsShowTwoUpperCaseHexDigits) {
  EXPECT_EQ(CellText(0x00), QStringLiteral("00"));
  EXPECT_EQ(CellText(0xAB), QStringLiteral("AB"));
  EXPECT_EQ(CellText(0x0F), QStringLiteral("0F"));
  EXPECT_EQ(CellText(0xFF), QStringLiteral("FF"));
}

}  // namespace
