// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/shell/painter_surface.h"

#include <QFontMetrics>

namespace shell {

PainterSurface::PainterSurface(QPainter& painter, QPoint origin, const QRect& clip)
    : painter_(painter), text_color_(painter.pen().color()) {
  painter_.save();
  painter_.setRenderHint(QPainter::Antialiasing, false);
  painter_.translate(-origin);
  clip_box_ = Box::FromQRect(clip.translated(origin));
  painter_.setClipRect(clip_box_.ToQRect());
  // A fresh pen draws in the same colour as fresh text: the painter's foreground.
  pen_.color = text_color_;
}

PainterSurface::~PainterSurface() { painter_.restore(); }

Pen PainterSurface::SelectPen(const Pen& pen) {
  const Pen previous = pen_;
  pen_ = pen;
  return previous;
}

QFont PainterSurface::SelectFont(const QFont& font) {
  const QFont previous = painter_.font();
  painter_.setFont(font);
  return previous;
}

BackgroundMode PainterSurface::SetBackgroundMode(BackgroundMode mode) {
  const BackgroundMode previous = background_mode_;
  background_mode_ = mode;
  return previous;
}

QColor PainterSurface::SetBackgroundColor(const QColor& color) {
  const QColor previous = background_color_;
  background_color_ = color;
  return previous;
}

QColor PainterSurface::SetTextColor(const QColor& color) {
  const QColor previous = text_color_;
  text_color_ = color;
  return previous;
}

void PainterSurface::FillRect(const Box& box, const QColor& color) {
  if (box.IsEmpty()) return;
  painter_.fillRect(box.ToQRect(), color);
}

void PainterSurface::Line(QPoint from, QPoint to) {
  const int thickness = pen_.width < 1 ? 1 : pen_.width;
  if (from.y() == to.y()) {
    // The end point is left out, whichever way the line runs.
    const int x0 = from.x() <= to.x() ? from.x() : to.x() + 1;
    const int x1 = from.x() <= to.x() ? to.x() : from.x() + 1;
    FillRect({x0, from.y() - thickness / 2, x1, from.y() - thickness / 2 + thickness}, pen_.color);
    return;
  }
  if (from.x() == to.x()) {
    const int y0 = from.y() <= to.y() ? from.y() : to.y() + 1;
    const int y1 = from.y() <= to.y() ? to.y() : from.y() + 1;
    FillRect({from.x() - thickness / 2, y0, from.x() - thickness / 2 + thickness, y1}, pen_.color);
    return;
  }
  painter_.save();
  painter_.setPen(QPen(pen_.color, thickness));
  painter_.drawLine(from, to);
  painter_.restore();
}

void PainterSurface::Draw3dRect(const Box& box, const QColor& top_left,
                                const QColor& bottom_right) {
  const int x = box.left;
  const int y = box.top;
  const int cx = box.Width();
  const int cy = box.Height();
  FillRect({x, y, x + cx - 1, y + 1}, top_left);            // top edge
  FillRect({x, y, x + 1, y + cy - 1}, top_left);            // left edge
  FillRect({x + cx - 1, y, x + cx, y + cy}, bottom_right);  // right edge
  FillRect({x, y + cy - 1, x + cx, y + cy}, bottom_right);  // bottom edge
}

void PainterSurface::FillOpaqueBackground(const QRect& text_rect) {
  if (background_mode_ == BackgroundMode::Opaque) painter_.fillRect(text_rect, background_color_);
}

void PainterSurface::DrawText(const QString& text, const Box& box, unsigned format) {
  int flags = 0;
  flags |= (format & kTextCenter) != 0 ? Qt::AlignHCenter : Qt::AlignLeft;
  flags |= (format & kTextVCenter) != 0 && (format & kTextSingleLine) != 0 ? Qt::AlignVCenter
                                                                           : Qt::AlignTop;
  flags |= (format & kTextSingleLine) != 0 ? Qt::TextSingleLine : Qt::TextWordWrap;
  const QRect rect = box.ToQRect();
  FillOpaqueBackground(painter_.boundingRect(rect, flags, text).intersected(rect));
  painter_.save();
  painter_.setPen(text_color_);
  painter_.drawText(rect, flags, text);
  painter_.restore();
}

void PainterSurface::TextOut(QPoint origin, const QString& text) {
  const QFontMetrics metrics(painter_.font(), painter_.device());
  FillOpaqueBackground(QRect(origin, QSize(metrics.horizontalAdvance(text), metrics.height())));
  painter_.save();
  painter_.setPen(text_color_);
  painter_.drawText(QPoint(origin.x(), origin.y() + metrics.ascent()), text);
  painter_.restore();
}

}  // namespace shell
