// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/plover_doc.h"

#include <QApplication>
#include <QFileInfo>
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "gui/modify_dlg.h"
#include "gui/plover_app.h"
#include "gui/resource_ids.h"
#include "gui/resources.h"
#include "gui/shell/raw_file.h"
#include "gui/verify_dlg.h"
#include "image_files/bounded_file_read.h"
#include "image_files/image_file.h"
#include "image_files/shown_file_name.h"

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

bool CploverDoc::OnOpenDocument(const QString& path) {
  return OpenImageFile(QFileInfo(path).absoluteFilePath());
}

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
  shell::FileDialogRequest request = DataFileDialog(shell::kHideReadOnly | shell::kFileMustExist);
  // The file typed is the one opened: a name without an extension gets none added.
  request.default_extension.clear();
  const auto chosen = TheApp().Prompts().RunFileDialog(request);
  if (!chosen) return;
  OpenImageFile(*chosen);
}

std::optional<bus::Image> CploverDoc::ReadImageCopy(shell::RawFile& file, const QString& path) {
  CploverApp& app = TheApp();
  if (const auto error = file.OpenForReading(path)) {
    app.ReportFileError(*error, path);
    return std::nullopt;
  }
  bus::Image loaded = app.EepromImage;
  std::size_t count = 0;
  if (const auto error = file.Read(loaded, count)) {
    file.Close();
    app.ReportFileError(*error, path);
    return std::nullopt;
  }
  return loaded;
}

std::optional<image_files::PartialImage> CploverDoc::ReadRecordFile(
    const QString& path, image_files::ImageFormat format) {
  CploverApp& app = TheApp();
  shell::RawFile file;
  if (const auto error = file.OpenForReading(path)) {
    app.ReportFileError(*error, path);
    return std::nullopt;
  }
  // One byte more than a record file may hold, so that a longer one is seen to be longer.
  std::vector<std::uint8_t> bytes(image_files::kImageFileLimit + 1);
  std::size_t count = 0;
  const auto error = file.Read(bytes, count);
  file.Close();
  if (error) {
    app.ReportFileError(*error, path);
    return std::nullopt;
  }
  const std::string name = path.toStdString();
  std::string fault;
  std::optional<image_files::PartialImage> image;
  if (count > image_files::kImageFileLimit) {
    fault = image_files::TooLongRefusal(name, image_files::kImageFileLimit);
  } else {
    const image_files::ImageFileRead read = image_files::DecodeImageFile(
        name, std::string_view(reinterpret_cast<const char*>(bytes.data()), count), format);
    image = read.image;
    fault = read.error;
  }
  if (!image) {
    app.MessageBox(QString::fromStdString(fault), app.AppTitle(), shell::MessageIcon::Exclamation);
  }
  return image;
}

bool CploverDoc::OpenImageFile(const QString& path) {
  CploverApp& app = TheApp();
  const image_files::ImageFormat format = image_files::FormatFromFileName(path.toStdString());
  std::optional<image_files::PartialImage> partial;
  shell::RawFile file;
  std::optional<bus::Image> loaded;
  if (format == image_files::ImageFormat::Raw) {
    loaded = ReadImageCopy(file, path);
  } else if ((partial = ReadRecordFile(path, format))) {
    loaded = app.EepromImage;
    for (std::size_t address = 0; address < bus::kEepromSize; ++address) {
      if (partial->held[address]) (*loaded)[address] = partial->bytes[address];
    }
  }
  if (!loaded) return false;
  app.EepromImage = *loaded;
  app.CurrentFileName = path;
  app.RecentFiles().Add(path);
  app.RepaintMainWindow();
  SetTitle(app.CurrentFileName);
  file.Close();
  if (partial && !partial->Complete()) {
    app.MessageBox(
        QString::fromStdString(image_files::ShownFileName(path.toStdString()) + " held addresses " +
                               image_files::HeldAddressRanges(*partial) +
                               "; the other addresses of the image are unchanged."),
        app.AppTitle(), shell::MessageIcon::Information);
  }
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
  const std::string bytes =
      image_files::EncodeImage(app.EepromImage, image_files::FormatFromFileName(path.toStdString()),
                               app.AppTitle().toStdString());
  std::optional<shell::FileError> error =
      file.Replace(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
  if (!error) error = file.Close();
  if (error) {
    file.Discard();
    app.ReportFileError(*error, path);
    return false;
  }
  return true;
}

namespace {

// A wait cursor while a bus transaction runs; the transaction itself runs right here on the user
// interface thread, so nothing else is handled until it returns.
class TransactionCursor {
 public:
  TransactionCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~TransactionCursor() { QApplication::restoreOverrideCursor(); }
  TransactionCursor(const TransactionCursor&) = delete;
  TransactionCursor& operator=(const TransactionCursor&) = delete;
};

// A read that fails leaves the destination as it was (the bus layer reads into a scratch image).
bus::BusResult ReadDevice(bus::Image& destination) {
  const TransactionCursor cursor;
  return TheApp().Bus().ReadEeprom(destination);
}

bus::BusResult WriteDevice(const bus::Image& image) {
  const TransactionCursor cursor;
  return TheApp().Bus().WriteEeprom(image);
}

}  // namespace

void CploverDoc::OnToolsUpload() {
  CploverApp& app = TheApp();
  if (const bus::BusResult result = ReadDevice(app.EepromImage); !result.ok()) {
    app.ReportBusFailure(result);
    return;
  }
  app.RepaintMainWindow();
  SetTitle(QString::fromUtf8(kUploadTitle));
}

void CploverDoc::OnToolsDownload() {
  CploverApp& app = TheApp();
  const QString text = QString::fromUtf8(kDownloadCompleted);
  const QString caption = app.LoadString(kMessageCaptionString);
  if (const bus::BusResult result = WriteDevice(app.EepromImage); !result.ok()) {
    app.ReportBusFailure(result);
    return;
  }
  if (app.VerifyAfterDownload() && !VerifiedAfterDownload()) return;
  app.MessageBox(text, caption, shell::MessageIcon::Information);
}

bool CploverDoc::VerifiedAfterDownload() {
  CploverApp& app = TheApp();
  if (const bus::BusResult result = ReadDevice(app.ReadBackImage); !result.ok()) {
    app.ReportBusFailure(result);
    return false;
  }
  if (app.ReadBackImage == app.EepromImage) return true;
  CVerifyDlg dialog;
  app.Prompts().RunModal(dialog);
  return false;
}

void CploverDoc::OnToolsVerify() {
  CploverApp& app = TheApp();
  CVerifyDlg dialog;
  if (const bus::BusResult result = ReadDevice(app.ReadBackImage); !result.ok()) {
    app.ReportBusFailure(result);
    return;
  }
  app.Prompts().RunModal(dialog);
}

void CploverDoc::OnToolsModify() {
  CploverApp& app = TheApp();
  CModifyDlg dialog(app.MainWindow());
  if (app.Prompts().RunModal(dialog) == shell::IDOK) app.RepaintMainWindow();
}

void CploverDoc::OnProgramDefaults() {
  CploverApp& app = TheApp();
  const QString name = QString::fromUtf8(kDefaultsFileName);
  app.CurrentFileName = name;
  shell::RawFile file;
  const std::optional<bus::Image> loaded = ReadImageCopy(file, name);
  if (!loaded) return;
  app.EepromImage = *loaded;
  app.RepaintMainWindow();
  if (const bus::BusResult result = WriteDevice(app.EepromImage); !result.ok()) {
    file.Close();
    app.ReportBusFailure(result);
    return;
  }
  SetTitle(app.CurrentFileName);
  file.Close();
}

}  // namespace plover
