// SPDX-License-Identifier: GPL-3.0-or-later
// CploverDoc: the document. It holds no data; it answers the File and Tools commands on the
// application's buffers and owns the title shown in the caption.
#pragma once

#include <QString>
#include <optional>

#include "bus/image.h"
#include "gui/shell/document.h"
#include "gui/shell/user_prompts.h"
#include "image_files/image_format.h"
#include "image_files/partial_image.h"

namespace shell {
class RawFile;
}  // namespace shell

namespace plover {

class CploverDoc : public shell::Document {
 public:
  bool OnCommand(shell::CommandId id) override;
  bool OnNewDocument() override;
  // A file dropped on the window: opened as File > Open opens the file its dialog returns.
  bool OnOpenDocument(const QString& path) override;

  void OnFileSave();
  void OnFileSaveAs();
  void OnFileNew();
  void OnFileOpen();

  // The Tools commands and program defaults, on the application's bus connection. A transaction
  // runs to its end before anything else is handled. When the bus layer reports a failure, the
  // command shows it (CploverApp::ReportBusFailure) and goes no further.

  // Reads the EEPROM back into ReadBackImage and shows the verify report; the image, the title
  // and the grid stay.
  void OnToolsVerify();
  // Reads the EEPROM into EepromImage, repaints, and sets the title "Upload".
  void OnToolsUpload();
  // Writes EepromImage to the EEPROM and says it is done. With Verify after Download on, it
  // first reads the EEPROM back into ReadBackImage: when that differs from the image, the verify
  // report shows instead of the completion message.
  void OnToolsDownload();
  // Runs the Modify dialog on EepromImage and repaints when it ended with OK; nothing goes to the
  // device.
  void OnToolsModify();
  // Makes "default.dat" (in the current directory) the current file, loads up to 128 bytes of it
  // into EepromImage, repaints, writes the image to the EEPROM and, once written, takes the file
  // name as the title.
  void OnProgramDefaults();

  // The file's format follows its name, as in 30p: .hex, .ihex and .ihx are Intel HEX; .srec,
  // .s19, .s28, .s37 and .mot are S-record; any other name holds the raw bytes.

  // Writes EepromImage to `path` in the format its name stands for (raw: the 128 bytes),
  // replacing the file. False, after the error has been reported, when the file could not be
  // opened or written.
  bool SaveImageTo(const QString& path);

  // Loads `path` into EepromImage, makes it the current file and the title. A raw file gives up
  // to 128 bytes (a shorter one replaces only the leading bytes); an Intel HEX or S-record file
  // replaces the addresses it holds, and when those are not all 128 a message says which they
  // were. False, after the error has been reported, when the file could not be opened or read or
  // a record file has a fault (named with its line); then image, current file and title stay.
  bool OpenImageFile(const QString& path);

  // The dialog of Open and Save As: an open-file dialog for data files with `flags`.
  [[nodiscard]] static shell::FileDialogRequest DataFileDialog(unsigned flags);

 private:
  // Reads the EEPROM back after a Download; true when it holds the image. Otherwise the failure
  // or the verify report has been shown.
  bool VerifiedAfterDownload();
  // Opens `path` in `file` and reads up to 128 bytes of it into a copy of EepromImage, so that a
  // read that fails half way leaves the image as it was. Nothing, after the error has been
  // reported and the file closed, when it could not be opened or read; otherwise the file stays
  // open (and locked) for the caller.
  static std::optional<bus::Image> ReadImageCopy(shell::RawFile& file, const QString& path);
  // Reads and checks a whole Intel HEX or S-record file; nothing, after the error or the fault
  // has been reported, when it could not be read or has a fault.
  static std::optional<image_files::PartialImage> ReadRecordFile(const QString& path,
                                                                 image_files::ImageFormat format);
};

}  // namespace plover
