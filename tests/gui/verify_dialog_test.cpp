// SPDX-License-Identifier: GPL-3.0-or-later
// The verify report: the texts and positions its paint handler draws, computed from two images,
// and the dialog itself on template 131 (labels, separators, OK, font and background of the
// drawing).
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "gui/resource_ids.h"
#include "gui/verify_dlg.h"
#include "plover_fixture.h"
#include "recording_surface.h"

namespace {

using namespace plover;

bus::Image Filled(std::uint8_t value) {
  bus::Image image;
  image.fill(value);
  return image;
}

TEST(VerifyReport, IdenticalImagesPassThreeTimesBelowTheGroups) {
  const VerifyReport report = VerifyReportItems(Filled(0x5A), Filled(0x5A));
  EXPECT_EQ(report.mismatches, 0);
  const std::vector<VerifyText> expected{
      {"PASS!", {80, 100}}, {"PASS!", {285, 100}}, {"PASS!", {490, 100}}};
  EXPECT_EQ(report.texts, expected);
}

TEST(VerifyReport, OneDifferenceIsOneRowOfTheFirstGroup) {
  bus::Image image = Filled(0xFF);
  image[7] = 0x3C;
  const VerifyReport report = VerifyReportItems(image, Filled(0xFF));
  EXPECT_EQ(report.mismatches, 1);
  const std::vector<VerifyText> expected{{"07", {40, 55}}, {"3C", {105, 55}}, {"FF", {165, 55}}};
  EXPECT_EQ(report.texts, expected);
}

TEST(VerifyReport, TwentyDifferencesFillTheFirstGroupAndTheTwentyFirstStartsTheSecond) {
  bus::Image image = Filled(0);
  for (std::size_t a = 0; a < 21; ++a) image[a] = static_cast<std::uint8_t>(0xA0 + a);
  const VerifyReport report = VerifyReportItems(image, Filled(0));
  EXPECT_EQ(report.mismatches, 21);
  ASSERT_EQ(report.texts.size(), 63u);
  for (int row = 0; row < 20; ++row) {
    const auto& address = report.texts[static_cast<std::size_t>(row) * 3];
    EXPECT_EQ(address.origin, QPoint(40, 55 + 15 * row)) << row;
  }
  EXPECT_EQ(report.texts[57], (VerifyText{"19", {40, 340}}));
  EXPECT_EQ(report.texts[60], (VerifyText{"20", {245, 55}}));
  EXPECT_EQ(report.texts[61], (VerifyText{"B4", {310, 55}}));
  EXPECT_EQ(report.texts[62], (VerifyText{"00", {370, 55}}));
}

TEST(VerifyReport, ExactlyTwentyLeaveTheOtherGroupsEmpty) {
  bus::Image image = Filled(1);
  for (std::size_t a = 100; a < 120; ++a) image[a] = 2;
  const VerifyReport report = VerifyReportItems(image, Filled(1));
  ASSERT_EQ(report.texts.size(), 60u);
  for (const auto& text : report.texts) EXPECT_LT(text.origin.x(), 205) << text.text.toStdString();
  EXPECT_EQ(report.texts.back(), (VerifyText{"01", {165, 340}}));
}

TEST(VerifyReport, AllDifferentShowsSixtyRowsAndCountsAll) {
  bus::Image image{};
  bus::Image readback{};
  for (std::size_t a = 0; a < 128; ++a) {
    image[a] = static_cast<std::uint8_t>(a);
    readback[a] = static_cast<std::uint8_t>(a ^ 0x80);
  }
  const VerifyReport report = VerifyReportItems(image, readback);
  EXPECT_EQ(report.mismatches, 128);
  ASSERT_EQ(report.texts.size(), 180u);
  EXPECT_EQ(report.texts[177], (VerifyText{"59", {450, 340}}));
  EXPECT_EQ(report.texts[178], (VerifyText{"3B", {515, 340}}));
  EXPECT_EQ(report.texts[179], (VerifyText{"BB", {575, 340}}));
  for (const auto& text : report.texts) EXPECT_NE(text.text, QStringLiteral("PASS!"));
  for (const auto& text : report.texts) EXPECT_LE(text.origin.y(), 340);
}

TEST(VerifyReport, AddressesFrom100HaveThreeDigits) {
  bus::Image image = Filled(0);
  image[5] = 1;
  image[100] = 0x0A;
  image[127] = 0xFF;
  const VerifyReport report = VerifyReportItems(image, Filled(0));
  const std::vector<VerifyText> expected{
      {"05", {40, 55}},  {"01", {105, 55}}, {"00", {165, 55}},  // "%02d", "%02X"
      {"100", {40, 70}}, {"0A", {105, 70}}, {"00", {165, 70}},
      {"127", {40, 85}}, {"FF", {105, 85}}, {"00", {165, 85}},
  };
  EXPECT_EQ(report.texts, expected);
}

TEST(VerifyReport, TheFontIsArialWithASixteenPixelCell) {
  const QFont font = VerifyFont();
  EXPECT_EQ(font.family(), QStringLiteral("Arial"));
  EXPECT_GT(font.pixelSize(), 8);
  const QFontMetrics metrics(font);
  EXPECT_LE(metrics.ascent() + metrics.descent(), 16);
}

// The dialog, with the application's buffers.
class VerifyDialogTest : public PloverTest {};

TEST_F(VerifyDialogTest, TemplateHasTheLabelsSeparatorsAndOk) {
  CVerifyDlg dialog;
  EXPECT_EQ(dialog.parent(), nullptr);
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Plover Verify"));
  EXPECT_EQ(dialog.Template().resource_id, kVerifyTemplate);
  const shell::DialogBaseUnits base = dialog.BaseUnits();
  EXPECT_EQ(dialog.size(), shell::UnitsToPixels(QSize(425, 262), base));

  auto* ok = qobject_cast<QPushButton*>(dialog.Control(shell::IDOK));
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(ok->text(), QStringLiteral("OK"));
  EXPECT_TRUE(ok->isDefault());
  EXPECT_EQ(ok->geometry(), shell::UnitsToPixels(QRect(187, 234, 50, 14), base));

  QStringList labels;
  for (QLabel* label : dialog.findChildren<QLabel*>()) labels << label->text();
  EXPECT_EQ(labels.count(QStringLiteral("EEPROM Addresss")), 3);
  EXPECT_EQ(labels.count(QStringLiteral("Write Data")), 3);
  EXPECT_EQ(labels.count(QStringLiteral("Read Data")), 3);
  EXPECT_EQ(labels.size(), 9);

  std::vector<QGroupBox*> separators;  // in template order
  for (QWidget* control : dialog.Controls()) {
    if (auto* box = qobject_cast<QGroupBox*>(control)) separators.push_back(box);
  }
  ASSERT_EQ(separators.size(), 2u);
  EXPECT_EQ(separators[0]->geometry(), shell::UnitsToPixels(QRect(135, 25, 8, 207), base));
  EXPECT_EQ(separators[1]->geometry(), shell::UnitsToPixels(QRect(272, 25, 8, 206), base));
}

TEST_F(VerifyDialogTest, PaintDrawsTheReportInItsFontOnTheButtonFace) {
  App().EepromImage[7] = 0x3C;
  App().ReadBackImage[7] = 0xFF;
  CVerifyDlg dialog;
  RecordingSurface surface({0, 0, dialog.width(), dialog.height()});
  const QFont before = surface.font;
  dialog.OnPaint(surface);
  ASSERT_EQ(surface.texts.size(), 3u);
  const std::vector<QString> texts{"07", "3C", "FF"};
  const std::vector<QPoint> origins{{40, 55}, {105, 55}, {165, 55}};
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(surface.texts[i].text, texts[i]);
    EXPECT_EQ(QPoint(surface.texts[i].box.left, surface.texts[i].box.top), origins[i]);
    EXPECT_EQ(surface.texts[i].font, VerifyFont());
    EXPECT_EQ(surface.texts[i].mode, shell::BackgroundMode::Opaque);
  }
  EXPECT_EQ(surface.font, before);  // the font it replaced is selected again

  const QImage picture = dialog.grab().toImage();
  EXPECT_EQ(QColor(picture.pixel(40, 55)), dialog.palette().color(QPalette::Button));
}

// The report is painted at fixed pixel positions, the labels and separators are laid out from the
// template: at 96 dots per inch both must line up.
class VerifyDialogAt96DpiTest : public PloverTest {
 protected:
  plover::StartOptions Options() const override {
    plover::StartOptions options;
    options.dpi = QSize(96, 96);
    return options;
  }
};

TEST_F(VerifyDialogAt96DpiTest, EachGroupLiesUnderItsHeadingsBetweenItsSeparatorsAboveOk) {
  for (std::size_t a = 0; a < bus::kEepromSize; ++a) {  // every address differs: 60 rows shown
    App().EepromImage[a] = static_cast<std::uint8_t>(a);
    App().ReadBackImage[a] = static_cast<std::uint8_t>(~a);
  }
  CVerifyDlg dialog;
  RecordingSurface surface({0, 0, dialog.width(), dialog.height()});
  dialog.OnPaint(surface);
  ASSERT_EQ(surface.texts.size(), 3u * kVerifyShownRows);

  // The headings, three to a group from left to right, and the separators between the groups.
  // Each heading's text, wrapped at the width of its label, fits the label.
  std::vector<QRect> labels;
  std::vector<QRect> separators;
  for (QWidget* control : dialog.Controls()) {
    if (auto* label = qobject_cast<QLabel*>(control)) {
      labels.push_back(label->geometry());
      const QRect wrapped = label->fontMetrics().boundingRect(
          QRect(QPoint(0, 0), QSize(label->width(), 1000)), Qt::TextWordWrap, label->text());
      EXPECT_LE(wrapped.width(), label->width()) << label->text().toStdString();
      EXPECT_LE(wrapped.height(), label->height()) << label->text().toStdString();
    }
    if (qobject_cast<QGroupBox*>(control) != nullptr) separators.push_back(control->geometry());
  }
  const auto by_left = [](const QRect& a, const QRect& b) { return a.left() < b.left(); };
  std::sort(labels.begin(), labels.end(), by_left);
  std::sort(separators.begin(), separators.end(), by_left);
  ASSERT_EQ(labels.size(), 3u * kVerifyGroups);
  ASSERT_EQ(separators.size(), kVerifyGroups - 1u);

  // Each text that is out of place, with where it is and where it should be.
  std::vector<std::string> misplaced;
  int lowest_text = 0;
  for (std::size_t i = 0; i < surface.texts.size(); ++i) {
    const DrawnText& drawn = surface.texts[i];
    const std::size_t group = i / 3 / kVerifyRowsPerGroup;  // three texts a row, in row order
    const QFontMetrics metrics(drawn.font);
    const QRect painted(QPoint(drawn.box.left, drawn.box.top),
                        QSize(metrics.horizontalAdvance(drawn.text), metrics.height()));
    const QRect heading = labels[3 * group] | labels[3 * group + 1] | labels[3 * group + 2];
    const int area_left = group == 0 ? 0 : separators[group - 1].right() + 1;
    const int area_right =
        group + 1 == kVerifyGroups ? dialog.width() - 1 : separators[group].left() - 1;
    const int left = std::max(area_left, heading.left());
    const int right = std::min(area_right, heading.right());
    if (painted.left() < left || painted.right() > right || painted.top() <= heading.bottom()) {
      misplaced.push_back(
          QStringLiteral("group %1, text %2 \"%3\" at x %4..%5, y %6; its place: x %7..%8, "
                         "below y %9")
              .arg(group + 1)
              .arg(i)
              .arg(drawn.text)
              .arg(painted.left())
              .arg(painted.right())
              .arg(painted.top())
              .arg(left)
              .arg(right)
              .arg(heading.bottom())
              .toStdString());
    }
    lowest_text = std::max(lowest_text, painted.bottom());
  }
  EXPECT_TRUE(misplaced.empty()) << misplaced.size() << " texts out of place, the first: "
                                 << (misplaced.empty() ? std::string() : misplaced.front());
  const QWidget* ok = dialog.Control(shell::IDOK);
  ASSERT_NE(ok, nullptr);
  EXPECT_GT(ok->geometry().top(), lowest_text);
}

TEST_F(VerifyDialogTest, OkEndsTheDialogWithIdok) {
  CVerifyDlg dialog;
  dialog.show();
  auto* ok = qobject_cast<QPushButton*>(dialog.Control(shell::IDOK));
  ASSERT_NE(ok, nullptr);
  ok->click();
  EXPECT_EQ(dialog.result(), shell::IDOK);
  EXPECT_FALSE(dialog.isVisible());
}

}  // namespace
