// SPDX-License-Identifier: GPL-3.0-or-later
// DrawSurface on a QPainter: pixel-exact lines and frames without antialiasing.
#pragma once

#include <QPainter>

#include "gui/shell/draw_surface.h"

namespace shell {

class PainterSurface final : public DrawSurface {
 public:
  // `painter` is already begun; `origin` is the logical point drawn at the device's top left (the
  // scroll position); `clip` is the part to repaint, in device pixels.
  PainterSurface(QPainter& painter, QPoint origin, const QRect& clip);
  ~PainterSurface() override;
  PainterSurface(const PainterSurface&) = delete;
  PainterSurface& operator=(const PainterSurface&) = delete;

  Pen SelectPen(const Pen& pen) override;
  QFont SelectFont(const QFont& font) override;
  BackgroundMode SetBackgroundMode(BackgroundMode mode) override;
  QColor SetBackgroundColor(const QColor& color) override;
  QColor SetTextColor(const QColor& color) override;
  void FillRect(const Box& box, const QColor& color) override;
  void Line(QPoint from, QPoint to) override;
  void Draw3dRect(const Box& box, const QColor& top_left, const QColor& bottom_right) override;
  void DrawText(const QString& text, const Box& box, unsigned format) override;
  void TextOut(QPoint origin, const QString& text) override;
  [[nodiscard]] Box ClipBox() const override { return clip_box_; }

 private:
  void FillOpaqueBackground(const QRect& text_rect);

  QPainter& painter_;
  Box clip_box_;
  Pen pen_;
  QColor text_color_;
  QColor background_color_{Qt::white};
  BackgroundMode background_mode_ = BackgroundMode::Opaque;
};

}  // namespace shell
