// SPDX-License-Identifier: GPL-3.0-or-later
// CVerifyDlg: the report of Tools > Verify, on dialog template 131. It lists the addresses where
// the EEPROM read back differs from the image (address, "Write Data" from EepromImage, "Read Data"
// from ReadBackImage) in up to three groups of twenty rows, or says "PASS!" three times when
// nothing differs. Everything it shows besides its labels is painted from the application's two
// buffers at every paint; it keeps nothing of its own.
#pragma once

#include <QFont>
#include <QPoint>
#include <QString>
#include <vector>

#include "bus/image.h"
#include "gui/shell/dialog_template.h"
#include "gui/shell/draw_surface.h"

namespace plover {

// One text of the report and the pixel of the client area where its top-left corner goes.
struct VerifyText {
  QString text;
  QPoint origin;
  friend bool operator==(const VerifyText&, const VerifyText&) = default;
};

struct VerifyReport {
  std::vector<VerifyText> texts;  // in drawing order
  int mismatches = 0;             // every differing address, shown or not
};

// Rows and groups of the report.
inline constexpr int kVerifyRowsPerGroup = 20;
inline constexpr int kVerifyGroups = 3;
inline constexpr int kVerifyShownRows = kVerifyRowsPerGroup * kVerifyGroups;  // 60

// What the paint handler draws for `image` (written) and `readback` (read): for each of the first
// 60 differing addresses, in ascending order, a row of three texts (the address "%02d", the image
// byte "%02X", the read byte "%02X") at y = 55 + 15 * row and x = 205 * group + 40, 105 and 165;
// later differences are counted only. With no difference, "PASS!" at (80, 100), (285, 100) and
// (490, 100).
[[nodiscard]] VerifyReport VerifyReportItems(const bus::Image& image, const bus::Image& readback);

// Dialog template 131.
[[nodiscard]] const shell::DialogTemplate& VerifyDialogTemplate();

// The report's font: Arial (or the sans face standing in for it) whose character cell, ascent
// plus descent, is 16 pixels high.
[[nodiscard]] QFont VerifyFont();

class CVerifyDlg : public shell::TemplateDialog {
 public:
  // Made without a parent window; `parent` is there for callers that want one.
  explicit CVerifyDlg(QWidget* parent = nullptr);

  // Draws the report of the application's EepromImage and ReadBackImage on `dc`, in the report's
  // font with text cells in the button-face colour.
  void OnPaint(shell::DrawSurface& dc);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace plover
