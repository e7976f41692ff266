// SPDX-License-Identifier: GPL-3.0-or-later
// A started plover (application, document, frame, view) with scripted prompts and a temporary
// folder for data files.
#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QImage>
#include <QTemporaryDir>
#include <memory>
#include <vector>

#include "gui/plover_app.h"
#include "gui/plover_doc.h"
#include "gui/plover_view.h"
#include "gui/verify_dlg.h"
#include "gui/shell/frame_window.h"
#include "scripted_prompts.h"

// Texts in the tests' failure messages as text, not as the bytes of their characters.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

// The folder the settings of this test run are kept in (set before the tests start).
QString TestSettingsPath();

class PloverTest : public ::testing::Test {
 public:
  void SetUp() override;
  void TearDown() override;

  // What the application starts with; override to start differently.
  virtual plover::StartOptions Options() const { return {}; }

  plover::CploverApp& App() { return *app_; }
  plover::CploverDoc& Doc() { return *app_->Document(); }
  plover::CploverView& View() { return *app_->View(); }
  shell::FrameWindow& Frame() { return *app_->MainWindow(); }

  [[nodiscard]] QString Caption() { return Frame().windowTitle(); }
  // Sends a command the way menu items and keys do.
  bool RunCommand(shell::CommandId id) { return Frame().RouteCommand(id); }

  [[nodiscard]] QString PathOf(const QString& name) const { return dir_.filePath(name); }
  QString WriteFile(const QString& name, const QByteArray& contents) const;
  [[nodiscard]] static QByteArray ReadFile(const QString& path);
  // The image as bytes, to compare with file contents.
  [[nodiscard]] QByteArray ImageBytes() { return Bytes(app_->EepromImage); }
  [[nodiscard]] static QByteArray Bytes(const bus::Image& image);
  // `count` bytes counting up from `first`.
  [[nodiscard]] static QByteArray Pattern(int count, int first);

  // Opens `path` through File > Open with a scripted dialog reply.
  void OpenThroughDialog(const QString& path);

  // Expects exactly one message box so far, with `text`, `caption` and `icon`, an OK button and
  // the main window as its owner. False when there was not exactly one.
  bool ExpectOneMessageBox(const QString& text, const QString& caption, shell::MessageIcon icon);

  // Runs Tools > Verify and returns the texts its dialog draws.
  std::vector<plover::VerifyText> Verify();

  ScriptedPrompts prompts_;
  QTemporaryDir dir_;
  std::unique_ptr<plover::CploverApp> app_;
};
