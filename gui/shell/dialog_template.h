// SPDX-License-Identifier: GPL-3.0-or-later
// Dialogs written as templates in dialog units and laid out in pixels.
//
// A template gives the dialog's caption, font and size and each control's kind, id, text and
// rectangle in dialog units. Dialog units follow the dialog font: a horizontal unit is a quarter
// of the font's average character width and a vertical unit an eighth of its height (the base
// units). A template that names a face whose base units are known ("MS Sans Serif" 8 points) is
// laid out with that face's own units, whatever font stands in to draw its text, so it comes out
// as large as it was drawn and lines up with the pixel positions a dialog paints at; the stand-in
// is drawn no wider than that face, so its texts fit their boxes. Any other face is measured.
#pragma once

#include <QDialog>
#include <QFont>
#include <QRect>
#include <QString>
#include <vector>

namespace shell {

enum class ControlKind {
  PushButton,
  DefaultPushButton,
  StaticText,  // a label; `align` says where its text sits
  Icon,        // an icon resource, shown at its own size (`text` holds nothing)
  Edit,        // a single-line edit field with a border
  GroupBox,    // a frame, with its text at the top left
};

enum ControlStyle : unsigned {
  kStyleNone = 0,
  kAlignLeft = 0x0,    // label text at the left (the default)
  kAlignCenter = 0x1,  // label text centred
  kNoPrefix = 0x2,     // "&" in a label is shown as it is (labels never make mnemonics here)
  kAutoHScroll = 0x4,  // edit field: scrolls while typing past its width (always so here)
  kTabStop = 0x8,      // takes the focus with Tab
};

struct DialogControl {
  ControlKind kind = ControlKind::StaticText;
  int id = -1;
  QString text;
  QRect units;  // x, y, width, height in dialog units
  unsigned style = kStyleNone;
  int icon_id = 0;  // ControlKind::Icon: the icon resource
};

struct DialogTemplate {
  int resource_id = 0;
  QString caption;
  QSize size_units;  // client area in dialog units
  QString font_face;
  int font_points = 8;
  std::vector<DialogControl> controls;
};

// Pixels per 4 horizontal and per 8 vertical dialog units.
struct DialogBaseUnits {
  int x = 0;
  int y = 0;
  friend bool operator==(const DialogBaseUnits&, const DialogBaseUnits&) = default;
};

// number * numerator / denominator with the 64-bit product, rounded half away from zero.
[[nodiscard]] int ScaleRounded(int number, int numerator, int denominator);

// The base units of `font`: x is the average width of "A".."Z" and "a".."z", rounded; y is the
// font's height.
[[nodiscard]] DialogBaseUnits BaseUnitsOf(const QFont& font);

// The base units a template naming `face` at `points` is laid out with at `dpi_y` dots per inch.
// "MS Sans Serif" 8 points (the face compared without regard to case): 6 by 13 pixels at 96 dots
// per inch, scaled with the resolution. Any other face or size: BaseUnitsOf its dialog font.
[[nodiscard]] DialogBaseUnits TemplateBaseUnits(const QString& face, int points, int dpi_y);

// The font a template's controls are drawn in at `dpi_y`: its DialogFont, except that for a face
// with known base units the stand-in's pixel size is lowered until its horizontal base unit is no
// larger than that face's (TemplateBaseUnits).
[[nodiscard]] QFont TemplateFont(const QString& face, int points, int dpi_y);

// The dialog font of a template at `dpi_y` dots per inch: its face, a sans-serif substitute where
// the face is missing, and the point size turned into pixels at that resolution.
[[nodiscard]] QFont DialogFont(const QString& face, int points, int dpi_y);

[[nodiscard]] QRect UnitsToPixels(const QRect& units, DialogBaseUnits base);
[[nodiscard]] QSize UnitsToPixels(QSize units, DialogBaseUnits base);

// A modal dialog built from a template: fixed size, controls at their converted rectangles,
// OK (IDOK) accepts and Cancel (IDCANCEL) or Escape rejects; result() is then IDOK or IDCANCEL.
class TemplateDialog : public QDialog {
 public:
  // `dpi_y` 0: the application's chosen resolution if it fixed one, else the primary screen's.
  explicit TemplateDialog(const DialogTemplate& dialog_template, QWidget* parent = nullptr,
                          int dpi_y = 0);

  [[nodiscard]] const DialogTemplate& Template() const { return template_; }
  [[nodiscard]] DialogBaseUnits BaseUnits() const { return base_; }
  // The first control with `id`, or nullptr.
  [[nodiscard]] QWidget* Control(int id) const;
  // The controls in template order.
  [[nodiscard]] const std::vector<QWidget*>& Controls() const { return controls_; }

  // Ends the dialog with `result` (IDOK, IDCANCEL, ...).
  void EndDialog(int result);

  // Called for OK (IDOK); the default ends the dialog with IDOK.
  virtual void OnOK();
  // Called for Cancel, Escape and the close box; the default ends the dialog with IDCANCEL.
  virtual void OnCancel();

 protected:
  void accept() override { OnOK(); }
  void reject() override { OnCancel(); }

 private:
  QWidget* CreateControl(const DialogControl& control);

  DialogTemplate template_;
  DialogBaseUnits base_;
  std::vector<QWidget*> controls_;
};

}  // namespace shell
