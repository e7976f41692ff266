// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/shell/dialog_template.h"

#include <QFontMetrics>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <cstdint>
#include <cstdlib>

#include "gui/shell/application.h"
#include "gui/shell/command_ids.h"

namespace shell {

int ScaleRounded(int number, int numerator, int denominator) {
  if (denominator == 0) return -1;
  const std::int64_t product = static_cast<std::int64_t>(number) * numerator;
  const std::int64_t half = std::llabs(denominator) / 2;
  const bool negative = (product < 0) != (denominator < 0);
  const std::int64_t magnitude = (std::llabs(product) + half) / std::llabs(denominator);
  return static_cast<int>(negative ? -magnitude : magnitude);
}

DialogBaseUnits BaseUnitsOf(const QFont& font) {
  const QFontMetrics metrics(font);
  const int width = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return {(width / 26 + 1) / 2, metrics.height()};
}

namespace {

// A face whose base units at one size are known, as pixels at 96 dots per inch.
struct KnownFace {
  const char* face;
  int points;
  DialogBaseUnits base_at_96_dpi;
};

constexpr KnownFace kKnownFaces[] = {
    {"MS Sans Serif", 8, {6, 13}},
};

constexpr int kReferenceDpi = 96;

const KnownFace* FindKnownFace(const QString& face, int points) {
  for (const KnownFace& known : kKnownFaces) {
    if (points == known.points &&
        face.compare(QLatin1String(known.face), Qt::CaseInsensitive) == 0) {
      return &known;
    }
  }
  return nullptr;
}

}  // namespace

DialogBaseUnits TemplateBaseUnits(const QString& face, int points, int dpi_y) {
  if (const KnownFace* known = FindKnownFace(face, points)) {
    return {ScaleRounded(known->base_at_96_dpi.x, dpi_y, kReferenceDpi),
            ScaleRounded(known->base_at_96_dpi.y, dpi_y, kReferenceDpi)};
  }
  return BaseUnitsOf(DialogFont(face, points, dpi_y));
}

QFont TemplateFont(const QString& face, int points, int dpi_y) {
  QFont font = DialogFont(face, points, dpi_y);
  if (FindKnownFace(face, points) == nullptr) return font;
  // A wider stand-in would wrap or clip texts in the boxes the template gives them.
  const int widest = TemplateBaseUnits(face, points, dpi_y).x;
  while (font.pixelSize() > 1 && BaseUnitsOf(font).x > widest) {
    font.setPixelSize(font.pixelSize() - 1);
  }
  return font;
}

QFont DialogFont(const QString& face, int points, int dpi_y) {
  QFont font(face);
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(ScaleRounded(points, dpi_y, 72));
  return font;
}

QRect UnitsToPixels(const QRect& units, DialogBaseUnits base) {
  return {ScaleRounded(units.x(), base.x, 4), ScaleRounded(units.y(), base.y, 8),
          ScaleRounded(units.width(), base.x, 4), ScaleRounded(units.height(), base.y, 8)};
}

QSize UnitsToPixels(QSize units, DialogBaseUnits base) {
  return {ScaleRounded(units.width(), base.x, 4), ScaleRounded(units.height(), base.y, 8)};
}

TemplateDialog::TemplateDialog(const DialogTemplate& dialog_template, QWidget* parent, int dpi_y)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      template_(dialog_template) {
  if (const Application* app = Application::Current();
      dpi_y <= 0 && app != nullptr && app->DpiOverride()) {
    dpi_y = app->DpiOverride()->height();
  }
  if (dpi_y <= 0) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    dpi_y = screen != nullptr ? static_cast<int>(screen->logicalDotsPerInchY() + 0.5) : 96;
  }
  const QFont font = TemplateFont(template_.font_face, template_.font_points, dpi_y);
  setFont(font);
  base_ = TemplateBaseUnits(template_.font_face, template_.font_points, dpi_y);
  setWindowTitle(template_.caption);
  setFixedSize(UnitsToPixels(template_.size_units, base_));
  for (const auto& control : template_.controls) controls_.push_back(CreateControl(control));
  // Earlier controls of a template lie above later ones (a frame listed after the fields it
  // surrounds stays under them and never takes their clicks); Qt stacks later siblings on top.
  for (auto control = controls_.rbegin(); control != controls_.rend(); ++control) {
    (*control)->raise();
  }
}

QWidget* TemplateDialog::CreateControl(const DialogControl& control) {
  QWidget* widget = nullptr;
  const QRect pixels = UnitsToPixels(control.units, base_);
  switch (control.kind) {
    case ControlKind::PushButton:
    case ControlKind::DefaultPushButton: {
      auto* button = new QPushButton(control.text, this);
      button->setDefault(control.kind == ControlKind::DefaultPushButton);
      button->setAutoDefault(false);
      const int id = control.id;
      connect(button, &QPushButton::clicked, this, [this, id] {
        if (id == IDOK) {
          OnOK();
        } else if (id == IDCANCEL) {
          OnCancel();
        }
      });
      widget = button;
      break;
    }
    case ControlKind::StaticText: {
      auto* label = new QLabel(this);
      label->setTextFormat(Qt::PlainText);
      label->setText(control.text);
      label->setAlignment(((control.style & kAlignCenter) != 0 ? Qt::AlignHCenter : Qt::AlignLeft) |
                          Qt::AlignTop);
      label->setWordWrap(true);
      widget = label;
      break;
    }
    case ControlKind::Icon: {
      auto* label = new QLabel(this);
      const Application* app = Application::Current();
      const QIcon icon = app != nullptr ? app->LoadIcon(control.icon_id) : QIcon();
      label->setPixmap(icon.pixmap(32, 32));
      widget = label;
      widget->setGeometry(QRect(pixels.topLeft(), QSize(32, 32)));
      widget->setProperty("controlId", control.id);
      return widget;
    }
    case ControlKind::Edit: {
      auto* edit = new QLineEdit(control.text, this);
      edit->setFrame(true);
      widget = edit;
      break;
    }
    case ControlKind::GroupBox: {
      widget = new QGroupBox(control.text, this);
      break;
    }
  }
  widget->setGeometry(pixels);
  widget->setFocusPolicy((control.style & kTabStop) != 0 ? Qt::StrongFocus : Qt::NoFocus);
  widget->setProperty("controlId", control.id);
  return widget;
}

QWidget* TemplateDialog::Control(int id) const {
  for (QWidget* widget : controls_) {
    if (widget->property("controlId").toInt() == id) return widget;
  }
  return nullptr;
}

void TemplateDialog::EndDialog(int result) { done(result); }

void TemplateDialog::OnOK() { EndDialog(IDOK); }

void TemplateDialog::OnCancel() { EndDialog(IDCANCEL); }

}  // namespace shell
