// SPDX-License-Identifier: GPL-3.0-or-later
// A scrolling view: paints a document area larger than the window through a DrawSurface whose
// coordinates start at the area's top left, whatever the scroll position.
#pragma once

#include <QAbstractScrollArea>
#include <QSize>

#include "gui/shell/command_target.h"
#include "gui/shell/draw_surface.h"

namespace shell {

class Document;

class ScrollView : public QAbstractScrollArea, public CommandTarget {
 public:
  explicit ScrollView(QWidget* parent = nullptr);
  ~ScrollView() override = default;

  [[nodiscard]] Document* GetDocument() const { return document_; }
  void AttachDocument(Document* document) { document_ = document; }

  // Called once, when the frame and view are first shown. The default invalidates the view.
  virtual void OnInitialUpdate();

  // Paints the part of the area in surface.ClipBox().
  virtual void OnDraw(DrawSurface& surface) = 0;

  // The size of the scrolled area in pixels. A page step is the visible part, a line a hundredth
  // of the area.
  void SetScrollSizes(QSize total);
  [[nodiscard]] QSize GetTotalSize() const { return total_; }
  [[nodiscard]] QPoint GetScrollPosition() const;

  // The logical resolution the view draws for: the application's chosen one if it set one,
  // otherwise the resolution of the screen the view is on.
  [[nodiscard]] QSize LogicalDpi() const;

  bool OnCommand(CommandId) override { return false; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  void UpdateScrollBars();

  Document* document_ = nullptr;
  QSize total_{0, 0};
};

}  // namespace shell
