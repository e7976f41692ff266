// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/shell/frame_window.h"

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QWindow>

#include "gui/shell/application.h"
#include "gui/shell/document.h"
#include "gui/shell/scroll_view.h"

namespace shell {

QString FrameCaption(const QString& document_title, const QString& frame_title) {
  QString caption = document_title + QStringLiteral(" - ") + frame_title;
  // The window system reads "[*]" as the place of a modified mark; doubled, it shows as written.
  caption.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
  return caption;
}

std::optional<QString> DroppedFile(const QMimeData* data) {
  if (data == nullptr || !data->hasUrls()) return std::nullopt;
  const QList<QUrl> urls = data->urls();
  if (urls.size() != 1 || !urls.front().isLocalFile()) return std::nullopt;
  const QString path = urls.front().toLocalFile();
  if (path.isEmpty()) return std::nullopt;
  return path;
}

FrameWindow::FrameWindow(const QString& frame_title) : frame_title_(frame_title) {
  setWindowTitle(FrameCaption(QString(), frame_title_));
}

FrameWindow::~FrameWindow() {
  if (qApp != nullptr) qApp->removeEventFilter(this);
}

void FrameWindow::LoadFrame(const std::vector<PopupResource>& menu,
                            const std::vector<AcceleratorResource>& accelerators) {
  QMenuBar* bar = menuBar();
  bar->clear();
  menu_actions_.clear();
  for (const auto& popup : menu) {
    QMenu* sub = bar->addMenu(popup.text);
    for (const auto& item : popup.items) {
      if (item.id == 0) {
        sub->addSeparator();
        continue;
      }
      QAction* action = sub->addAction(item.text);
      action->setData(item.id);
      action->setCheckable(item.checkable);
      const CommandId id = item.id;
      connect(action, &QAction::triggered, this, [this, id] { RouteCommand(id); });
      menu_actions_.emplace_back(id, action);
    }
  }
  accelerators_ = accelerators;
  qApp->removeEventFilter(this);
  qApp->installEventFilter(this);
}

void FrameWindow::PlaceWindow(const QRect& outer) {
  // The decorations are known once the window exists in the window system; until a window
  // manager tells otherwise, the client takes the whole rectangle.
  create();
  const QMargins margins = windowHandle() != nullptr ? windowHandle()->frameMargins() : QMargins();
  move(outer.topLeft());
  resize(outer.size().shrunkBy(margins));
}

void FrameWindow::SetView(ScrollView* view) {
  view_ = view;
  setCentralWidget(view);
}

void FrameWindow::SetDocument(Document* document) {
  document_ = document;
  if (document_ != nullptr) document_->AttachFrame(this);
  OnUpdateFrameTitle();
}

void FrameWindow::OnUpdateFrameTitle() {
  setWindowTitle(
      FrameCaption(document_ != nullptr ? document_->GetTitle() : QString(), frame_title_));
}

bool FrameWindow::RouteCommand(CommandId id) {
  if (view_ != nullptr && view_->OnCommand(id)) return true;
  if (document_ != nullptr && document_->OnCommand(id)) return true;
  if (OnCommand(id)) return true;
  Application* app = Application::Current();
  return app != nullptr && app->OnCommand(id);
}

CommandId FrameWindow::CommandForKey(const QKeyEvent& event) const {
  const Qt::KeyboardModifiers modifiers =
      event.modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
  const QKeyCombination pressed(modifiers, static_cast<Qt::Key>(event.key()));
  for (const auto& accelerator : accelerators_) {
    if (accelerator.keys == pressed) return accelerator.id;
  }
  return 0;
}

QAction* FrameWindow::MenuAction(CommandId id) const {
  for (const auto& [action_id, action] : menu_actions_) {
    if (action_id == id) return action;
  }
  return nullptr;
}

void FrameWindow::SetMenuCheck(CommandId id, bool checked) {
  if (QAction* action = MenuAction(id)) action->setChecked(checked);
}

void FrameWindow::DragAcceptFiles() { setAcceptDrops(true); }

void FrameWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (document_ != nullptr && DroppedFile(event->mimeData())) event->acceptProposedAction();
}

void FrameWindow::dragMoveEvent(QDragMoveEvent* event) {
  if (document_ != nullptr && DroppedFile(event->mimeData())) event->acceptProposedAction();
}

void FrameWindow::dropEvent(QDropEvent* event) {
  const std::optional<QString> path = DroppedFile(event->mimeData());
  if (document_ == nullptr || !path) return;
  event->acceptProposedAction();
  activateWindow();
  raise();
  document_->OnOpenDocument(*path);
}

bool FrameWindow::eventFilter(QObject* watched, QEvent* event) {
  // Keys typed anywhere in this frame are looked up in its accelerator table before any widget
  // sees them; keys of other windows (a modal dialog, a message box) are left alone.
  if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
      static_cast<QWidget*>(watched)->window() == this) {
    const CommandId id = CommandForKey(*static_cast<QKeyEvent*>(event));
    if (id != 0) {
      RouteCommand(id);
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace shell
