#include "gui/plover_doc.h"

#include <array>
#include <cstdint>

#include "gui/plover_app.h"
#include "gui/resource_ids.h"
#include "gui/resources.h"
#include "gui/shell/raw_file.h"

namespace plover {

namespace {

constexpr std::array<shell::CommandEntry<CploverDoc>, 9> kCommandMap{{
    {shell::ID_FILE_SAVE, &CploverDoc::OnFileSave},
    {shell::ID_FILE_SAVE_AS, &CploverDoc::OnFileSaveAs},
    {shell::ID_FILE_NEW, &CploverDoc::OnFileNew},
    {shell::ID_FILE_OPEN, &CploverDoc::OnFileOpen},
    {ID_TOOLS_VERIFY, &CploverDoc::OnToolsVerify},
    {ID_TOOLS_UPLOAD, &CploverDoc::OnToolsUpload},
    {ID_TOOLS_DOWNLOAD, &CploverDoc::OnToolsDownload},
    {ID_TOOLS_MODIFY, &CploverDoc::OnToolsModify},
    {ID_PROGRAM_DEFAULTS, &CploverDoc::OnProgramDefaults},
}};

}  // namespace

bool CploverDoc::OnCommand(shell::CommandId id) {
  return shell::DispatchCommand<CploverDoc>(*this, kCommandMap, id);
}

bool CploverDoc::OnNewDocument() { return shell::Document::OnNewDocument(); }

shell::FileDialogRequest CploverDoc::DataFileDialog(unsigned flags) {
  shell::FileDialogRequest request;
  request.owner = TheApp().MainWindow();
  request.open_dialog = true;
  request.filter = QString::fromUtf8(kDataFileFilter);
  request.default_extension = QString::fromUtf8(kDataFileExtension);
  request.initial_name = QString::fromUtf8(kDataFileInitialName);
  request.flags = flags;
  return request;
}

void CploverDoc::OnFileNew() {
  CploverApp& app = TheApp();
  app.EepromImage.fill(0);
  app.RepaintMainWindow();
}

void CploverDoc::OnFileOpen() {
  const auto chosen = TheApp().Prompts().RunFileDialog(
      DataFileDialog(shell::kHideReadOnly | shell::kFileMustExist));
  if (!chosen) return;
  OpenImageFile(*chosen);
}

bool CploverDoc::OpenImageFile(const QString& path) {
  CploverApp& app = TheApp();
  shell::RawFile file;
  if (const auto error = file.OpenForReading(path)) {
    app.ReportFileError(*error, path);
    return false;
  }
  // Read into a copy, so that a read that fails half way leaves the image as it was.
  bus::Image loaded = app.EepromImage;
  std::size_t count = 0;
  if (const auto error = file.Read(loaded, count)) {
    file.Close();
    app.ReportFileError(*error, path);
    return false;
  }
  app.EepromImage = loaded;
  app.CurrentFileName = path;
  app.RecentFiles().Add(path);
  app.RepaintMainWindow();
  SetTitle(app.CurrentFileName);
  file.Close();
  return true;
}

void CploverDoc::OnFileSave() {
  CploverApp& app = TheApp();
  if (!app.CurrentFileName.isEmpty()) {
    SaveImageTo(app.CurrentFileName);  // reported there if it fails; the title stays
    return;
  }
  OnFileSaveAs();
}

void CploverDoc::OnFileSaveAs() {
  CploverApp& app = TheApp();
  const auto chosen = app.Prompts().RunFileDialog(DataFileDialog(shell::kHideReadOnly));
  if (!chosen) return;
  if (SaveImageTo(*chosen)) {
    app.CurrentFileName = *chosen;
    app.RecentFiles().Add(*chosen);
  }
  SetTitle(app.CurrentFileName);
}

bool CploverDoc::SaveImageTo(const QString& path) {
  CploverApp& app = TheApp();
  shell::RawFile file;
  if (const auto error = file.OpenForWriting(path)) {
    app.ReportFileError(*error, path);
    return false;
  }
  if (const auto error = file.Replace(app.EepromImage)) {
    file.Close();
    app.ReportFileError(*error, path);
    return false;
  }
  if (const auto error = file.Close()) {
    app.ReportFileError(*error, path);
    return false;
  }
  return true;
}

// The device commands come with the Tools work; until then their menu items do nothing, and
// claim nothing.
void CploverDoc::OnToolsVerify() {}
void CploverDoc::OnToolsUpload() {}
void CploverDoc::OnToolsDownload() {}
void CploverDoc::OnToolsModify() {}
void CploverDoc::OnProgramDefaults() {}

}  // namespace plover
