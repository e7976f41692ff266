// SPDX-License-Identifier: GPL-3.0-or-later
// Dialog templates: dialog units to pixels, and dialogs built from templates (the about box, and
// the kinds of controls the other dialogs are written with).
#include "gui/shell/dialog_template.h"

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest/QTest>

#include "gui/about_dlg.h"
#include "gui/resources.h"
#include "gui/shell/command_ids.h"

namespace {

using namespace shell;

TEST(DialogUnits, ScaleRoundedRoundsHalfAwayFromZero) {
  EXPECT_EQ(ScaleRounded(235, 6, 4), 353);  // 352.5
  EXPECT_EQ(ScaleRounded(55, 13, 8), 89);   // 89.375
  EXPECT_EQ(ScaleRounded(-5, 3, 2), -8);    // -7.5
  EXPECT_EQ(ScaleRounded(80, 96, 720), 11);
  EXPECT_EQ(ScaleRounded(1, 1, 0), -1);
}

TEST(DialogUnits, TemplateRectanglesBecomePixelsWithTheBaseUnits) {
  const DialogBaseUnits classic{6, 13};  // an 8-point dialog font at 96 dots per inch
  EXPECT_EQ(UnitsToPixels(QSize(235, 55), classic), QSize(353, 89));
  EXPECT_EQ(UnitsToPixels(QRect(178, 7, 50, 14), classic), QRect(267, 11, 75, 23));
  EXPECT_EQ(UnitsToPixels(QRect(40, 10, 119, 8), classic), QRect(60, 16, 179, 13));
}

TEST(DialogUnits, BaseUnitsComeFromTheFont) {
  const QFont font = DialogFont(QStringLiteral("MS Sans Serif"), 8, 96);
  EXPECT_EQ(font.pixelSize(), 11);
  const DialogBaseUnits base = BaseUnitsOf(font);
  const QFontMetrics metrics(font);
  const int alphabet = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  EXPECT_EQ(base.x, (alphabet / 26 + 1) / 2);
  EXPECT_EQ(base.y, metrics.height());
  EXPECT_GT(base.x, 3);
  EXPECT_GT(base.y, 8);
}

TEST(DialogUnits, MsSansSerifTemplatesKeepThatFacesBaseUnitsWhateverFaceDrawsThem) {
  const DialogBaseUnits at_96_dpi = TemplateBaseUnits(QStringLiteral("MS Sans Serif"), 8, 96);
  EXPECT_EQ(at_96_dpi, (DialogBaseUnits{6, 13}));
  EXPECT_EQ(TemplateBaseUnits(QStringLiteral("MS Sans Serif"), 8, 192),
            (DialogBaseUnits{2 * at_96_dpi.x, 2 * at_96_dpi.y}));
  EXPECT_EQ(TemplateBaseUnits(QStringLiteral("ms sans serif"), 8, 96), at_96_dpi);
  // The face that stands in draws no wider than the units it is laid out with.
  for (const int dpi : {96, 120, 192}) {
    const QString face = QStringLiteral("MS Sans Serif");
    EXPECT_LE(BaseUnitsOf(TemplateFont(face, 8, dpi)).x, TemplateBaseUnits(face, 8, dpi).x) << dpi;
    EXPECT_LE(TemplateFont(face, 8, dpi).pixelSize(), DialogFont(face, 8, dpi).pixelSize()) << dpi;
  }
  // Any other face, or that face at another size, is measured in the font that stands in, and
  // drawn in it as it is.
  for (const auto& [face, points] : {std::pair{"Arial", 8}, std::pair{"MS Sans Serif", 10}}) {
    const QFont font = DialogFont(QString::fromUtf8(face), points, 96);
    EXPECT_EQ(TemplateBaseUnits(QString::fromUtf8(face), points, 96), BaseUnitsOf(font))
        << face << " " << points;
    EXPECT_EQ(TemplateFont(QString::fromUtf8(face), points, 96), font) << face << " " << points;
  }
}

TEST(AboutBox, IsBuiltFromTemplate100) {
  plover::CAboutDlg about;
  const DialogBaseUnits base = about.BaseUnits();
  EXPECT_EQ(about.windowTitle(), QStringLiteral("About plover"));
  EXPECT_EQ(about.size(), UnitsToPixels(QSize(235, 55), base));
  const auto& controls = about.Controls();
  ASSERT_EQ(controls.size(), 3u);
  EXPECT_EQ(controls[0]->pos(), UnitsToPixels(QRect(11, 17, 0, 0), base).topLeft());
  auto* text = qobject_cast<QLabel*>(controls[1]);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->text(), QStringLiteral("plover Version 1.1"));
  EXPECT_EQ(text->geometry(), UnitsToPixels(QRect(40, 10, 119, 8), base));
  auto* ok = qobject_cast<QPushButton*>(about.Control(IDOK));
  ASSERT_NE(ok, nullptr);
  EXPECT_TRUE(ok->isDefault());
  EXPECT_EQ(ok->text(), QStringLiteral("OK"));
  EXPECT_EQ(ok->geometry(), UnitsToPixels(QRect(178, 7, 50, 14), base));
}

TEST(TemplateDialogTest, OkEndsWithIdOkAndEscapeWithIdCancel) {
  plover::CAboutDlg about;
  about.show();
  qobject_cast<QPushButton*>(about.Control(IDOK))->click();
  EXPECT_EQ(about.result(), IDOK);
  EXPECT_FALSE(about.isVisible());

  plover::CAboutDlg again;
  again.show();
  QTest::keyClick(&again, Qt::Key_Escape);
  EXPECT_EQ(again.result(), IDCANCEL);
}

TEST(TemplateDialogTest, BuildsEditFieldsLabelsAndGroupBoxes) {
  const DialogTemplate form{
      900,
      QStringLiteral("Form"),
      QSize(200, 100),
      QStringLiteral("MS Sans Serif"),
      8,
      {
          {ControlKind::DefaultPushButton, IDOK, QStringLiteral("OK"), QRect(75, 80, 50, 14),
           kTabStop},
          {ControlKind::Edit, 1000, QStringLiteral("0A"), QRect(67, 27, 13, 14),
           kTabStop | kAutoHScroll},
          {ControlKind::StaticText, kUnaddressedControl, QStringLiteral("A&B"),
           QRect(42, 30, 16, 8), kAlignCenter | kNoPrefix},
          {ControlKind::GroupBox, kUnaddressedControl, QString(), QRect(59, 20, 100, 24)},
      }};
  TemplateDialog dialog(form, nullptr, 96);
  const DialogBaseUnits base = dialog.BaseUnits();
  auto* edit = qobject_cast<QLineEdit*>(dialog.Control(1000));
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit->text(), QStringLiteral("0A"));
  EXPECT_EQ(edit->geometry(), UnitsToPixels(QRect(67, 27, 13, 14), base));
  EXPECT_EQ(edit->focusPolicy(), Qt::StrongFocus);
  auto* label = qobject_cast<QLabel*>(dialog.Controls()[2]);
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->text(), QStringLiteral("A&B"));
  EXPECT_TRUE(label->alignment() & Qt::AlignHCenter);
  EXPECT_EQ(label->focusPolicy(), Qt::NoFocus);
  auto* frame = qobject_cast<QGroupBox*>(dialog.Controls()[3]);
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->geometry(), UnitsToPixels(QRect(59, 20, 100, 24), base));
}

}  // namespace
