// SPDX-License-Identifier: GPL-3.0-or-later
// The grid as drawn: pixels of a rendered image at 96 and 120 dots per inch, and the drawing
// calls recorded, for the whole grid and for a clip box in the lower right.
#include <QEvent>
#include <QPainter>
#include <QScrollBar>

#include "gui/shell/painter_surface.h"
#include "plover_fixture.h"
#include "recording_surface.h"

namespace {

using namespace plover;
using shell::Box;

const QColor kWhite(255, 255, 255);
const QColor kLightGrey(192, 192, 192);
const QColor kShadow(128, 128, 128);

class GridRenderTest : public PloverTest, public ::testing::WithParamInterface<int> {
 protected:
  StartOptions Options() const override {
    StartOptions options;
    options.dpi = QSize(GetParam(), GetParam());
    return options;
  }

  // The grid drawn on a white image 40 pixels larger than the grid each way.
  QImage Render() {
    const QSize size = grid::GridSize(View().Metrics()) + QSize(40, 40);
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(Qt::black);
    shell::PainterSurface surface(painter, QPoint(0, 0), QRect(QPoint(0, 0), size));
    View().OnDraw(surface);
    return image;
  }

  static bool HasInk(const QImage& image, const Box& box) {
    for (int y = box.top; y < box.bottom; ++y) {
      for (int x = box.left; x < box.right; ++x) {
        if (qGray(image.pixel(x, y)) < 128) return true;
      }
    }
    return false;
  }
};

#define EXPECT_PIXEL(image, x, y, colour) \
  EXPECT_EQ(QColor((image).pixel((x), (y))), (colour)) << "at (" << (x) << ", " << (y) << ")"

TEST_P(GridRenderTest, ScrollSizeIsHalfAnInchPerColumnAndAQuarterPerRow) {
  const QSize expected = GetParam() == 96 ? QSize(504, 336) : QSize(630, 420);
  EXPECT_EQ(View().GetTotalSize(), expected);
  EXPECT_EQ(grid::GridSize(View().Metrics()), expected);
}

TEST_P(GridRenderTest, HeaderBandsFramesAndLinesWhereTheyBelong) {
  const QImage image = Render();
  const auto [hw, rh, cw] = View().Metrics();
  const int w = hw + 10 * cw;
  const int h = 14 * rh;
  for (int k = 0; k < 10; ++k) {  // column labels: grey face, white top and left, grey shadow
    const int left = hw + k * cw;
    EXPECT_PIXEL(image, left + 3, 3, kLightGrey);
    EXPECT_PIXEL(image, left + 2, 0, kWhite);
    EXPECT_PIXEL(image, left + 1, rh / 2, kWhite);
    EXPECT_PIXEL(image, left + cw - 1, rh / 2, kShadow);
    EXPECT_PIXEL(image, left + cw / 2, rh - 1, kShadow);
  }
  for (int r = 0; r < 13; ++r) {  // row labels: the frame reaches 5 pixels into the cell area
    const int top = (r + 1) * rh;
    EXPECT_PIXEL(image, 2, top + 3, kLightGrey);
    EXPECT_PIXEL(image, 2, top + 1, kWhite);
    EXPECT_PIXEL(image, 0, top + rh / 2, kWhite);
    EXPECT_PIXEL(image, hw + 4, top + rh / 2, kShadow);
    EXPECT_PIXEL(image, hw + 2, top + rh - 1, kShadow);
    EXPECT_PIXEL(image, hw, top + 3, kLightGrey);  // the line right of the header column
  }
  EXPECT_PIXEL(image, hw + 2, rh + rh / 2, kWhite);       // inside row 0's frame, past the band
  EXPECT_PIXEL(image, w - 1, rh, kLightGrey);             // the line under the header row...
  EXPECT_PIXEL(image, w, rh, kWhite);                     // ...stops at the grid's edge
  EXPECT_PIXEL(image, w + 2, 2, kWhite);                  // nothing right of the grid
  EXPECT_PIXEL(image, 2, h + 2, kWhite);                  // nothing below it
  EXPECT_PIXEL(image, hw + cw, 3 * rh + rh / 2, kWhite);  // no line between cells
  EXPECT_PIXEL(image, hw + 5 * cw + 3, 5 * rh, kWhite);
}

TEST_P(GridRenderTest, EachRegisterIsWrittenInItsCell) {
  for (std::size_t n = 0; n < 128; ++n) App().EepromImage[n] = static_cast<std::uint8_t>(n * 3);
  App().EepromImage[57] = 0xAB;
  const Box all{0, 0, 2000, 2000};
  RecordingSurface dc(all);
  View().OnDraw(dc);
  for (int n = 0; n < 128; ++n) {
    const auto texts = dc.TextsIn(View().CellRect(n / 10, n % 10));
    ASSERT_EQ(texts.size(), 1u) << n;
    EXPECT_EQ(texts[0].text, grid::CellText(App().EepromImage[static_cast<std::size_t>(n)]));
    EXPECT_EQ(texts[0].format, shell::kTextCenter | shell::kTextVCenter | shell::kTextSingleLine);
    EXPECT_EQ(texts[0].font, View().GetCellFont());
    EXPECT_EQ(texts[0].mode, shell::BackgroundMode::Transparent);
  }
  EXPECT_EQ(dc.TextsIn(View().CellRect(5, 7))[0].text, QStringLiteral("AB"));
  EXPECT_TRUE(dc.TextsIn(View().CellRect(12, 8)).empty());
  EXPECT_TRUE(dc.TextsIn(View().CellRect(12, 9)).empty());
  // Every line in the grid pen; pen and font are given back.
  EXPECT_EQ(dc.lines.size(), 2u + 13u + 10u);
  for (const auto& line : dc.lines) EXPECT_EQ(line.pen.color, kLightGrey);
  EXPECT_EQ(dc.pen, shell::Pen{});
  EXPECT_EQ(dc.font.family(), QStringLiteral("Initial"));

  const QImage image = Render();
  EXPECT_TRUE(HasInk(image, View().CellRect(5, 7)));
  EXPECT_TRUE(HasInk(image, View().CellRect(12, 7)));
  EXPECT_FALSE(HasInk(image, View().CellRect(12, 8)));
}

TEST_P(GridRenderTest, LowerRightClipPaintsOnlyTheCellsThere) {
  const auto [hw, rh, cw] = View().Metrics();
  const Box clip{hw + 6 * cw, 11 * rh + 3, hw + 10 * cw, 14 * rh};  // rows 10-12, columns 6-9
  RecordingSurface dc(clip);
  View().OnDraw(dc);
  std::vector<int> painted;
  for (int n = 0; n < 128; ++n) {
    if (!dc.TextsIn(View().CellRect(n / 10, n % 10)).empty()) painted.push_back(n);
  }
  EXPECT_EQ(painted, (std::vector<int>{106, 107, 108, 109, 116, 117, 118, 119, 126, 127}));
  EXPECT_EQ(dc.texts.size(), painted.size() + 13u + 10u);  // the labels are drawn at every paint
}

INSTANTIATE_TEST_SUITE_P(Dpi, GridRenderTest, ::testing::Values(96, 120),
                         [](const auto& info) { return std::to_string(info.param) + "dpi"; });

TEST_F(PloverTest, SmallWindowScrollsHeadersWithTheCells) {
  Frame().resize(300, 200);
  QScrollBar* horizontal = View().horizontalScrollBar();
  ASSERT_GT(horizontal->maximum(), 0);
  EXPECT_EQ(horizontal->maximum(), 504 - View().viewport()->width());
  horizontal->setValue(100);
  const QImage image = View().viewport()->grab().toImage();
  const int left = 24 + 3 * 48 - 100;  // column 3's label, scrolled
  EXPECT_PIXEL(image, left + 2, 0, kWhite);
  EXPECT_PIXEL(image, left + 3, 3, kLightGrey);
  EXPECT_PIXEL(image, left + 47, 12, kShadow);
}

// Counts the paints a widget receives.
class PaintCounter : public QObject {
 public:
  int paints = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

TEST_F(PloverTest, RepaintingTheMainWindowPaintsTheViewAtOnce) {
  PaintCounter counter;
  View().viewport()->installEventFilter(&counter);
  App().RepaintMainWindow();
  EXPECT_EQ(counter.paints, 1);
  RunCommand(shell::ID_FILE_NEW);
  EXPECT_EQ(counter.paints, 2);
  View().viewport()->removeEventFilter(&counter);
}

}  // namespace
