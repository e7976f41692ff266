// SPDX-License-Identifier: GPL-3.0-or-later
// The main frame of a single-document program: menu, accelerator keys, caption and the routing
// of every command.
//
// Menu items and accelerator keys carry only a command id. Whatever sends a command (a menu
// item, a key, a test) calls RouteCommand, which offers it to the active view, the document, the
// frame itself and last the application, and stops at the first that has a handler for it.
#pragma once

#include <QKeyCombination>
#include <QMainWindow>
#include <QString>
#include <optional>
#include <vector>

#include "gui/shell/command_target.h"

class QAction;
class QKeyEvent;
class QMimeData;

namespace shell {

class Document;
class ScrollView;

struct MenuItemResource {
  QString text;            // "&Open...\tCtrl+O": the part after the tab is shown as the key
  CommandId id = 0;        // 0: a separator
  bool checkable = false;  // shows a check mark, which SetMenuCheck sets
};

struct PopupResource {
  QString text;
  std::vector<MenuItemResource> items;
};

struct AcceleratorResource {
  QKeyCombination keys;
  CommandId id = 0;
};

// The one local file a drag carries, or nothing when it carries several, none, or a remote one.
[[nodiscard]] std::optional<QString> DroppedFile(const QMimeData* data);

// "TITLE - FRAME", written so that the window system shows it literally.
[[nodiscard]] QString FrameCaption(const QString& document_title, const QString& frame_title);

class FrameWindow : public QMainWindow, public CommandTarget {
 public:
  explicit FrameWindow(const QString& frame_title);
  ~FrameWindow() override;

  // Builds the menu bar and takes the accelerator table.
  void LoadFrame(const std::vector<PopupResource>& menu,
                 const std::vector<AcceleratorResource>& accelerators);

  // The view becomes the frame's client; the frame owns it.
  void SetView(ScrollView* view);
  [[nodiscard]] ScrollView* GetActiveView() const { return view_; }
  void SetDocument(Document* document);
  [[nodiscard]] Document* GetActiveDocument() const { return document_; }

  // Places the window so that its outer rectangle, decorations included, is `outer`.
  void PlaceWindow(const QRect& outer);

  [[nodiscard]] const QString& FrameTitle() const { return frame_title_; }
  // Rewrites the caption from the document's title.
  void OnUpdateFrameTitle();

  // Offers `id` to the view, the document, the frame and the application; true when one took it.
  bool RouteCommand(CommandId id);

  // The command of the accelerator key in `event`, or 0.
  [[nodiscard]] CommandId CommandForKey(const QKeyEvent& event) const;

  // The menu item that sends `id`, or nullptr.
  [[nodiscard]] QAction* MenuAction(CommandId id) const;
  // Sets the check mark of the checkable menu item that sends `id`.
  void SetMenuCheck(CommandId id, bool checked);

  // From now on a single file dropped on the window is opened by the document
  // (Document::OnOpenDocument), as File > Open opens it, and the window comes to the front.
  void DragAcceptFiles();

  bool OnCommand(CommandId) override { return false; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  QString frame_title_;
  ScrollView* view_ = nullptr;
  Document* document_ = nullptr;
  std::vector<AcceleratorResource> accelerators_;
  std::vector<std::pair<CommandId, QAction*>> menu_actions_;
};

}  // namespace shell
