// SPDX-License-Identifier: GPL-3.0-or-later
// What painting code draws on: pens, fills, lines, raised frames and text, in logical pixels, with
// the clip box of the paint. Views and dialogs draw through this interface; the program backs it
// with a QPainter (PainterSurface), tests with a recorder.
//
// Rectangles are Box values: left and top inside, right and bottom just outside, as every
// rectangle of the drawing code is written.
#pragma once

#include <QColor>
#include <QFont>
#include <QPoint>
#include <QRect>
#include <QString>

namespace shell {

struct Box {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  [[nodiscard]] int Width() const { return right - left; }
  [[nodiscard]] int Height() const { return bottom - top; }
  [[nodiscard]] bool IsEmpty() const { return right <= left || bottom <= top; }
  [[nodiscard]] bool Contains(QPoint p) const {
    return p.x() >= left && p.x() < right && p.y() >= top && p.y() < bottom;
  }
  [[nodiscard]] bool Intersects(const Box& other) const {
    return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
  }
  [[nodiscard]] QRect ToQRect() const { return {left, top, Width(), Height()}; }
  static Box FromQRect(const QRect& r) {
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
  }
  friend bool operator==(const Box&, const Box&) = default;
};

struct Pen {
  QColor color = Qt::black;
  int width = 0;  // 0 and 1: one pixel
  friend bool operator==(const Pen&, const Pen&) = default;
};

enum class BackgroundMode { Opaque, Transparent };

// Text placement flags of DrawText.
enum TextFormat : unsigned {
  kTextLeft = 0x00,
  kTextCenter = 0x01,
  kTextVCenter = 0x04,
  kTextSingleLine = 0x20,
};

class DrawSurface {
 public:
  virtual ~DrawSurface() = default;

  // Makes `pen` the pen of lines; returns the one it replaces.
  virtual Pen SelectPen(const Pen& pen) = 0;
  // Makes `font` the font of text; returns the one it replaces.
  virtual QFont SelectFont(const QFont& font) = 0;
  virtual BackgroundMode SetBackgroundMode(BackgroundMode mode) = 0;
  virtual QColor SetBackgroundColor(const QColor& color) = 0;
  virtual QColor SetTextColor(const QColor& color) = 0;

  // Fills `box` with `color`.
  virtual void FillRect(const Box& box, const QColor& color) = 0;
  // A line with the current pen from `from` up to, not including, `to`.
  virtual void Line(QPoint from, QPoint to) = 0;
  // A raised frame: top and left edges in `top_left`, bottom and right edges in `bottom_right`.
  virtual void Draw3dRect(const Box& box, const QColor& top_left, const QColor& bottom_right) = 0;
  // `text` placed in `box` by `format` (TextFormat bits), in the current font and text colour.
  virtual void DrawText(const QString& text, const Box& box, unsigned format) = 0;
  // `text` with its top-left corner at `origin`.
  virtual void TextOut(QPoint origin, const QString& text) = 0;

  // The smallest box around the part that this paint may change, in logical pixels.
  [[nodiscard]] virtual Box ClipBox() const = 0;

 protected:
  DrawSurface() = default;
  DrawSurface(const DrawSurface&) = default;
  DrawSurface& operator=(const DrawSurface&) = default;
};

}  // namespace shell
