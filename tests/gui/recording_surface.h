// SPDX-License-Identifier: GPL-3.0-or-later
// A DrawSurface that records what is drawn on it, in order, with the state each text was drawn in.
#pragma once

#include <vector>

#include "gui/shell/draw_surface.h"

struct DrawnText {
  QString text;
  shell::Box box;
  unsigned format = 0;
  QFont font;
  shell::BackgroundMode mode = shell::BackgroundMode::Opaque;
};

struct DrawnLine {
  QPoint from;
  QPoint to;
  shell::Pen pen;
};

struct DrawnFill {
  shell::Box box;
  QColor color;
};

struct DrawnFrame {
  shell::Box box;
  QColor top_left;
  QColor bottom_right;
};

class RecordingSurface final : public shell::DrawSurface {
 public:
  explicit RecordingSurface(shell::Box clip) : clip_(clip) {}

  shell::Pen SelectPen(const shell::Pen& pen) override;
  QFont SelectFont(const QFont& font) override;
  shell::BackgroundMode SetBackgroundMode(shell::BackgroundMode mode) override;
  QColor SetBackgroundColor(const QColor& color) override;
  QColor SetTextColor(const QColor& color) override;
  void FillRect(const shell::Box& box, const QColor& color) override;
  void Line(QPoint from, QPoint to) override;
  void Draw3dRect(const shell::Box& box, const QColor& top_left,
                  const QColor& bottom_right) override;
  void DrawText(const QString& text, const shell::Box& box, unsigned format) override;
  void TextOut(QPoint origin, const QString& text) override;
  [[nodiscard]] shell::Box ClipBox() const override { return clip_; }

  // The texts drawn inside `box`.
  [[nodiscard]] std::vector<DrawnText> TextsIn(const shell::Box& box) const;

  std::vector<DrawnText> texts;
  std::vector<DrawnLine> lines;
  std::vector<DrawnFill> fills;
  std::vector<DrawnFrame> frames;
  shell::Pen pen;  // the pen selected now
  QFont font{QStringLiteral("Initial")};
  shell::BackgroundMode mode = shell::BackgroundMode::Opaque;

 private:
  shell::Box clip_;
};
