// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/shell/scroll_view.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include "gui/shell/application.h"
#include "gui/shell/painter_surface.h"

namespace shell {

ScrollView::ScrollView(QWidget* parent) : QAbstractScrollArea(parent) {
  viewport()->setBackgroundRole(QPalette::Base);
  viewport()->setAutoFillBackground(true);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

void ScrollView::OnInitialUpdate() { viewport()->update(); }

void ScrollView::SetScrollSizes(QSize total) {
  total_ = total;
  UpdateScrollBars();
  viewport()->update();
}

QPoint ScrollView::GetScrollPosition() const {
  return {horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

QSize ScrollView::LogicalDpi() const {
  if (const Application* app = Application::Current(); app != nullptr && app->DpiOverride()) {
    return *app->DpiOverride();
  }
  return {viewport()->logicalDpiX(), viewport()->logicalDpiY()};
}

void ScrollView::UpdateScrollBars() {
  const QSize visible = viewport()->size();
  QScrollBar* horizontal = horizontalScrollBar();
  QScrollBar* vertical = verticalScrollBar();
  horizontal->setRange(0, std::max(0, total_.width() - visible.width()));
  vertical->setRange(0, std::max(0, total_.height() - visible.height()));
  horizontal->setPageStep(std::max(1, visible.width()));
  vertical->setPageStep(std::max(1, visible.height()));
  horizontal->setSingleStep(std::max(1, total_.width() / 100));
  vertical->setSingleStep(std::max(1, total_.height() / 100));
}

void ScrollView::paintEvent(QPaintEvent* event) {
  QPainter painter(viewport());
  PainterSurface surface(painter, GetScrollPosition(), event->rect());
  OnDraw(surface);
}

void ScrollView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollBars();
}

void ScrollView::scrollContentsBy(int dx, int dy) {
  // Moves what is already drawn; only the uncovered strip is painted again.
  viewport()->scroll(dx, dy);
}

}  // namespace shell
