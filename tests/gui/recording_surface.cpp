// SPDX-License-Identifier: GPL-3.0-or-later
#include "recording_surface.h"

shell::Pen RecordingSurface::SelectPen(const shell::Pen& new_pen) {
  const shell::Pen previous = pen;
  pen = new_pen;
  return previous;
}

QFont RecordingSurface::SelectFont(const QFont& new_font) {
  const QFont previous = font;
  font = new_font;
  return previous;
}

shell::BackgroundMode RecordingSurface::SetBackgroundMode(shell::BackgroundMode new_mode) {
  const shell::BackgroundMode previous = mode;
  mode = new_mode;
  return previous;
}

QColor RecordingSurface::SetBackgroundColor(const QColor&) { return Qt::white; }

QColor RecordingSurface::SetTextColor(const QColor&) { return Qt::black; }

void RecordingSurface::FillRect(const shell::Box& box, const QColor& color) {
  fills.push_back({box, color});
}

void RecordingSurface::Line(QPoint from, QPoint to) { lines.push_back({from, to, pen}); }

void RecordingSurface::Draw3dRect(const shell::Box& box, const QColor& top_left,
                                  const QColor& bottom_right) {
  frames.push_back({box, top_left, bottom_right});
}

void RecordingSurface::DrawText(const QString& text, const shell::Box& box, unsigned format) {
  texts.push_back({text, box, format, font, mode});
}

void RecordingSurface::TextOut(QPoint origin, const QString& text) {
  texts.push_back({text, {origin.x(), origin.y(), origin.x(), origin.y()}, 0, font, mode});
}

std::vector<DrawnText> RecordingSurface::TextsIn(const shell::Box& box) const {
  std::vector<DrawnText> found;
  for (const auto& text : texts) {
    if (box.left <= text.box.left && text.box.right <= box.right && box.top <= text.box.top &&
        text.box.bottom <= box.bottom) {
      found.push_back(text);
    }
  }
  return found;
}
