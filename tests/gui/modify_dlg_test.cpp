// SPDX-License-Identifier: GPL-3.0-or-later
// The Modify dialog through its real widgets: the fields as they open, the two-character limit,
// what OK accepts and refuses (one error box per bad field, in register order, the image taken
// only when every field is good), Cancel, and the layout of template 130.
#include "gui/modify_dlg.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest/QTest>
#include <vector>

#include "gui/modify_template.h"
#include "gui/shell/command_ids.h"
#include "plover_fixture.h"

namespace {

using namespace plover;
using shell::IDCANCEL;
using shell::IDOK;
using shell::UnitsToPixels;

// Every register's byte different from its neighbours': 0x80 + 3i, low 8 bits.
bus::Image SampleImage() {
  bus::Image image{};
  for (int i = 0; i < kRegisterFieldCount; ++i) image[i] = static_cast<std::uint8_t>(0x80 + 3 * i);
  return image;
}

class ModifyDialogTest : public PloverTest {
 protected:
  void SetUp() override {
    PloverTest::SetUp();
    App().EepromImage = SampleImage();
  }

  // Opens the dialog the way the program shows it and waits until it has the focus.
  void Open(CModifyDlg& dialog) {
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  }

  static QLineEdit* Field(const CModifyDlg& dialog, int i) {
    return qobject_cast<QLineEdit*>(dialog.Control(kFirstRegisterField + i));
  }

  // Replaces field i's text by typing, as the user would.
  static void Type(const CModifyDlg& dialog, int i, const QString& text) {
    QLineEdit* field = Field(dialog, i);
    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
  }

  std::vector<QString> BoxTexts() const {
    std::vector<QString> texts;
    for (const auto& box : prompts_.message_boxes) texts.push_back(box.text);
    return texts;
  }
};

TEST_F(ModifyDialogTest, FieldsOpenWithTheImageInTwoUpperCaseDigits) {
  App().EepromImage[0] = 0x0A;
  App().EepromImage[1] = 0xFF;
  App().EepromImage[2] = 0x00;
  App().EepromImage[127] = 0x5C;
  CModifyDlg dialog;
  EXPECT_EQ(Field(dialog, 0)->text(), QStringLiteral("0A"));
  EXPECT_EQ(Field(dialog, 1)->text(), QStringLiteral("FF"));
  EXPECT_EQ(Field(dialog, 2)->text(), QStringLiteral("00"));
  EXPECT_EQ(Field(dialog, 127)->text(), QStringLiteral("5C"));
  for (int i = 0; i < kRegisterFieldCount; ++i) {
    const QString expected =
        QString::asprintf("%02X", static_cast<unsigned>(App().EepromImage[i]));
    EXPECT_EQ(dialog.FieldTexts[i], expected) << i;
    ASSERT_EQ(dialog.FieldEdits[i], Field(dialog, i)) << i;
    EXPECT_EQ(dialog.FieldEdits[i]->text(), expected) << i;
  }
}

TEST_F(ModifyDialogTest, FieldsAreReadFromTheImageWhenTheDialogIsMade) {
  App().EepromImage[9] = 0x12;
  CModifyDlg dialog;
  App().EepromImage[9] = 0x34;
  EXPECT_EQ(Field(dialog, 9)->text(), QStringLiteral("12"));
}

TEST_F(ModifyDialogTest, OkHasTheFocusWhenTheDialogOpens) {
  CModifyDlg dialog;
  Open(dialog);
  EXPECT_EQ(QApplication::focusWidget(), dialog.Control(IDOK));
}

TEST_F(ModifyDialogTest, AFieldRefusesAThirdCharacter) {
  CModifyDlg dialog;
  Open(dialog);
  QLineEdit* field = Field(dialog, 42);
  EXPECT_EQ(field->maxLength(), 2);
  Type(dialog, 42, QStringLiteral("AB"));
  EXPECT_EQ(field->text(), QStringLiteral("AB"));
  QTest::keyClicks(field, QStringLiteral("C"));
  EXPECT_EQ(field->text(), QStringLiteral("AB"));
  // Typed over a selection: still two at most.
  Type(dialog, 42, QStringLiteral("123"));
  EXPECT_EQ(field->text(), QStringLiteral("12"));
  // Pasted or set from elsewhere: cut to the limit.
  field->clear();
  field->insert(QStringLiteral("7E99"));
  EXPECT_EQ(field->text(), QStringLiteral("7E"));
}

TEST_F(ModifyDialogTest, OneOrTwoDigitsInEitherCaseAreStored) {
  CModifyDlg dialog;
  Open(dialog);
  Type(dialog, 3, QStringLiteral("A"));
  Type(dialog, 4, QStringLiteral("0a"));
  Type(dialog, 5, QStringLiteral("0A"));
  Type(dialog, 6, QStringLiteral("ff"));
  Type(dialog, 7, QStringLiteral("0"));
  dialog.OnOK();
  EXPECT_TRUE(prompts_.message_boxes.empty());
  EXPECT_EQ(dialog.result(), IDOK);
  EXPECT_FALSE(dialog.isVisible());
  bus::Image expected = SampleImage();
  expected[3] = expected[4] = expected[5] = 0x0A;
  expected[6] = 0xFF;
  expected[7] = 0x00;
  EXPECT_EQ(App().EepromImage, expected);
}

TEST_F(ModifyDialogTest, OkWithEveryFieldGoodClosesAtOnceWithIdOk) {
  CModifyDlg dialog;
  Open(dialog);
  for (int i = 0; i < kRegisterFieldCount; ++i) {
    Field(dialog, i)->setText(QString::asprintf("%x", static_cast<unsigned>(255 - i)));
  }
  qobject_cast<QPushButton*>(dialog.Control(IDOK))->click();
  EXPECT_TRUE(prompts_.message_boxes.empty());
  EXPECT_EQ(dialog.result(), IDOK);
  EXPECT_FALSE(dialog.isVisible());
  for (int i = 0; i < kRegisterFieldCount; ++i) EXPECT_EQ(App().EepromImage[i], 255 - i) << i;
}

TEST_F(ModifyDialogTest, EnterInAFieldIsOk) {
  CModifyDlg dialog;
  Open(dialog);
  Type(dialog, 50, QStringLiteral("c3"));
  QTest::keyClick(Field(dialog, 50), Qt::Key_Return);
  EXPECT_EQ(dialog.result(), IDOK);
  EXPECT_EQ(App().EepromImage[50], 0xC3);
}

TEST_F(ModifyDialogTest, EachBadFieldGetsItsOwnBoxInRegisterOrder) {
  CModifyDlg dialog;
  Open(dialog);
  Type(dialog, 100, QStringLiteral("G1"));
  Type(dialog, 5, QString());
  Type(dialog, 6, QStringLiteral("1G"));
  Type(dialog, 60, QStringLiteral("44"));  // good, but not stored while others are bad
  dialog.OnOK();
  ASSERT_EQ(prompts_.message_boxes.size(), 3u);
  EXPECT_EQ(BoxTexts(), (std::vector<QString>{
                            QStringLiteral("Invalid value for register   5."),
                            QStringLiteral("Invalid value for register   6."),
                            QStringLiteral("Invalid value for register 100."),
                        }));
  for (const auto& box : prompts_.message_boxes) {
    EXPECT_EQ(box.owner, &dialog);
    EXPECT_EQ(box.caption, QStringLiteral("PLOVER"));
    EXPECT_EQ(box.icon, shell::MessageIcon::Stop);
    EXPECT_EQ(box.buttons, shell::MessageButtons::Ok);
  }
  // The dialog stays open with the user's texts; the image is as it was, "1G" included.
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(Field(dialog, 5)->text(), QString());
  EXPECT_EQ(Field(dialog, 6)->text(), QStringLiteral("1G"));
  EXPECT_EQ(Field(dialog, 100)->text(), QStringLiteral("G1"));
  EXPECT_EQ(Field(dialog, 60)->text(), QStringLiteral("44"));
  EXPECT_EQ(App().EepromImage, SampleImage());
}

TEST_F(ModifyDialogTest, RegisterNumbersAreRightAlignedInThreeCharacters) {
  CModifyDlg dialog;
  Open(dialog);
  Type(dialog, 0, QStringLiteral(" 1"));
  Type(dialog, 17, QStringLiteral("+1"));
  Type(dialog, 127, QStringLiteral("x"));
  dialog.OnOK();
  EXPECT_EQ(BoxTexts(), (std::vector<QString>{
                            QStringLiteral("Invalid value for register   0."),
                            QStringLiteral("Invalid value for register  17."),
                            QStringLiteral("Invalid value for register 127."),
                        }));
  EXPECT_EQ(App().EepromImage, SampleImage());
}

TEST_F(ModifyDialogTest, CorrectedFieldsAreAllTakenByTheNextOk) {
  CModifyDlg dialog;
  Open(dialog);
  Type(dialog, 7, QString());
  Type(dialog, 8, QStringLiteral("5a"));
  dialog.OnOK();
  ASSERT_EQ(BoxTexts(), std::vector<QString>{QStringLiteral("Invalid value for register   7.")});
  EXPECT_EQ(App().EepromImage, SampleImage());

  Type(dialog, 7, QStringLiteral("e"));
  dialog.OnOK();
  EXPECT_EQ(prompts_.message_boxes.size(), 1u);
  EXPECT_EQ(dialog.result(), IDOK);
  bus::Image expected = SampleImage();
  expected[7] = 0x0E;
  expected[8] = 0x5A;
  EXPECT_EQ(App().EepromImage, expected);
}

TEST_F(ModifyDialogTest, CancelLeavesTheImageAsItWas) {
  CModifyDlg dialog;
  Open(dialog);
  Type(dialog, 1, QStringLiteral("00"));
  QTest::keyClick(&dialog, Qt::Key_Escape);
  EXPECT_EQ(dialog.result(), IDCANCEL);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(App().EepromImage, SampleImage());
  EXPECT_TRUE(prompts_.message_boxes.empty());
}

TEST_F(ModifyDialogTest, CancelAfterAFailedOkLeavesTheImageAsItWas) {
  CModifyDlg dialog;
  Open(dialog);
  Type(dialog, 2, QStringLiteral("11"));
  Type(dialog, 3, QStringLiteral("1G"));
  dialog.OnOK();
  EXPECT_EQ(prompts_.message_boxes.size(), 1u);
  dialog.OnCancel();
  EXPECT_EQ(dialog.result(), IDCANCEL);
  EXPECT_EQ(App().EepromImage, SampleImage());
}

TEST_F(ModifyDialogTest, ClosingRunsCancel) {
  CModifyDlg dialog;
  Open(dialog);
  Type(dialog, 1, QStringLiteral("00"));
  dialog.close();
  EXPECT_EQ(dialog.result(), IDCANCEL);
  EXPECT_EQ(App().EepromImage, SampleImage());
}

TEST_F(ModifyDialogTest, LayoutIsTemplate130InPixels) {
  CModifyDlg dialog;
  Open(dialog);
  const shell::DialogBaseUnits base = dialog.BaseUnits();
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("PLOVER"));
  EXPECT_EQ(dialog.size(), UnitsToPixels(QSize(380, 341), base));

  auto* ok = qobject_cast<QPushButton*>(dialog.Control(IDOK));
  ASSERT_NE(ok, nullptr);
  EXPECT_TRUE(ok->isDefault());
  EXPECT_EQ(ok->text(), QStringLiteral("OK"));
  EXPECT_EQ(ok->geometry(), UnitsToPixels(QRect(186, 314, 50, 14), base));
  EXPECT_EQ(dialog.Control(IDCANCEL), nullptr);

  EXPECT_EQ(Field(dialog, 0)->geometry(), UnitsToPixels(QRect(67, 27, 13, 14), base));
  EXPECT_EQ(Field(dialog, 19)->geometry(), UnitsToPixels(QRect(317, 49, 13, 14), base));
  EXPECT_EQ(Field(dialog, 127)->geometry(), UnitsToPixels(QRect(262, 291, 13, 14), base));
  EXPECT_EQ(dialog.Control(kFirstRegisterField + 128), nullptr);

  std::vector<QLabel*> labels;
  std::vector<QGroupBox*> frames;
  for (QWidget* control : dialog.Controls()) {
    if (auto* label = qobject_cast<QLabel*>(control)) labels.push_back(label);
    if (auto* frame = qobject_cast<QGroupBox*>(control)) frames.push_back(frame);
  }
  ASSERT_EQ(labels.size(), 23u);
  EXPECT_EQ(labels[0]->text(), QStringLiteral("0"));
  EXPECT_EQ(labels[0]->geometry(), UnitsToPixels(QRect(72, 13, 9, 8), base));
  EXPECT_EQ(labels[9]->text(), QStringLiteral("9"));
  EXPECT_EQ(labels[9]->geometry(), UnitsToPixels(QRect(318, 13, 8, 8), base));
  EXPECT_TRUE(labels[9]->alignment() & Qt::AlignLeft);
  QLabel* last_row = labels[22];
  EXPECT_EQ(last_row->text(), QStringLiteral("120"));
  EXPECT_EQ(last_row->geometry(), UnitsToPixels(QRect(42, 294, 16, 8), base));
  EXPECT_TRUE(last_row->alignment() & Qt::AlignHCenter);

  ASSERT_EQ(frames.size(), 13u);
  EXPECT_EQ(frames[0]->geometry(), UnitsToPixels(QRect(59, 20, 279, 24), base));
  EXPECT_EQ(frames[12]->geometry(), UnitsToPixels(QRect(59, 284, 279, 24), base));
  EXPECT_EQ(frames[12]->title(), QString());
}

TEST_F(ModifyDialogTest, ClicksInsideARowFrameReachTheField) {
  CModifyDlg dialog;
  Open(dialog);
  for (const int i : {0, 55, 127}) {
    QLineEdit* field = Field(dialog, i);
    EXPECT_EQ(dialog.childAt(field->geometry().center()), field) << i;
  }
  QTest::mouseClick(Field(dialog, 55), Qt::LeftButton);
  EXPECT_EQ(QApplication::focusWidget(), Field(dialog, 55));
}

TEST_F(ModifyDialogTest, TabGoesFromOkThroughTheFieldsInIdOrder) {
  CModifyDlg dialog;
  Open(dialog);
  std::vector<QWidget*> expected{dialog.Control(IDOK)};
  for (int i = 0; i < kRegisterFieldCount; ++i) expected.push_back(Field(dialog, i));

  std::vector<QWidget*> order{QApplication::focusWidget()};
  for (int step = 0; step < kRegisterFieldCount; ++step) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    order.push_back(QApplication::focusWidget());
  }
  EXPECT_EQ(order, expected);
  // And round again to OK.
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), dialog.Control(IDOK));
}

TEST(ModifyFieldText, OneOrTwoHexadecimalDigitsAreARegister) {
  for (const char* good : {"0", "A", "a", "0a", "0A", "ff", "FF", "9f"}) {
    EXPECT_TRUE(IsRegisterText(QString::fromLatin1(good))) << good;
  }
  for (const char* bad : {"", "G", "G1", "1G", " 1", "1 ", "+1", "-1", "0x", "100"}) {
    EXPECT_FALSE(IsRegisterText(QString::fromLatin1(bad))) << bad;
  }
  // Digits of other scripts are not hexadecimal digits here.
  EXPECT_FALSE(IsRegisterText(QStringLiteral("\u0661")));
  EXPECT_FALSE(IsRegisterText(QStringLiteral("\uFF21")));
}

TEST(ModifyFieldText, NumbersAreReadAsTheHexadecimalConversionReadsThem) {
  EXPECT_EQ(ReadHexNumber(u"A"), 0x0Au);
  EXPECT_EQ(ReadHexNumber(u"0a"), 0x0Au);
  EXPECT_EQ(ReadHexNumber(u"ff"), 0xFFu);
  EXPECT_EQ(ReadHexNumber(u"1G"), 0x01u);
  EXPECT_EQ(ReadHexNumber(u" \t7"), 0x07u);
  EXPECT_EQ(ReadHexNumber(u"+b"), 0x0Bu);
  EXPECT_EQ(ReadHexNumber(u"-1"), 0xFFFFFFFFu);
  EXPECT_EQ(ReadHexNumber(u"123456789"), 0x23456789u);
  EXPECT_EQ(ReadHexNumber(u"G1"), std::nullopt);
  EXPECT_EQ(ReadHexNumber(u""), std::nullopt);
  EXPECT_EQ(ReadHexNumber(u" "), std::nullopt);
  EXPECT_EQ(ReadHexNumber(u"-"), std::nullopt);
}

TEST(ModifyFieldText, TheErrorTextNamesTheRegisterInThreeCharacters) {
  EXPECT_EQ(InvalidRegisterText(5), QStringLiteral("Invalid value for register   5."));
  EXPECT_EQ(InvalidRegisterText(42), QStringLiteral("Invalid value for register  42."));
  EXPECT_EQ(InvalidRegisterText(127), QStringLiteral("Invalid value for register 127."));
}

}  // namespace
