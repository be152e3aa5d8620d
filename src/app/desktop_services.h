// What the windows ask of the desktop: the file, colour and printer dialogs, opening a URL and
// starting a desktop tool. One interface, given to the main window; the program's is Qt's, the
// tests' a scripted one that records what was asked.
#pragma once

#include <QPrinter>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/colour.h"
#include "settings/settings_rules.h"

class QWidget;

namespace sonavel {

struct FileDialogRequest {
  bool Save = false;
  QString Title;
  QStringList Filters;
  QString Directory;
  QString SuggestedName;
  QString DefaultSuffix;
  // A save dialog asks before it replaces a file that is there (the calibration file's does
  // not, as the program always did).
  bool ConfirmOverwrite = true;
};
// A file picked in a file dialog, with the index (from 1) of the chosen file type.
struct FileChoice {
  QString FileName;
  int32_t FileType = 1;
};

enum class PrinterDialog {
  Print,  // "Drucken": choose the printer or a PDF file and print
  SetUp,  // "Druckereinstellungen": choose them for the printouts that follow, taken with OK
};

class DesktopServices {
 public:
  virtual ~DesktopServices() = default;
  virtual std::optional<FileChoice> ChooseFile(QWidget* parent, const FileDialogRequest& request) = 0;
  virtual std::optional<Colour> ChooseColour(QWidget* parent, Colour start) = 0;
  // The printer dialog on `printer`; true when the user took it.
  virtual bool ChoosePrinter(QWidget* parent, QPrinter& printer, PrinterDialog kind) = 0;
  virtual bool OpenUrl(const QUrl& url) = 0;
  virtual bool ToolInstalled(const std::string& program) = 0;
  virtual bool StartTool(const DesktopTool& tool) = 0;
};

// The desktop's own: Qt's dialogs, QDesktopServices, the programs on the PATH.
class QtDesktopServices : public DesktopServices {
 public:
  std::optional<FileChoice> ChooseFile(QWidget* parent, const FileDialogRequest& request) override;
  std::optional<Colour> ChooseColour(QWidget* parent, Colour start) override;
  bool ChoosePrinter(QWidget* parent, QPrinter& printer, PrinterDialog kind) override;
  bool OpenUrl(const QUrl& url) override;
  bool ToolInstalled(const std::string& program) override;
  bool StartTool(const DesktopTool& tool) override;
};

// Scripted answers for tests and scripted runs; each request is recorded. Without a script a
// dialog is cancelled, a URL or tool is taken as opened or started, and no tool is installed.
class SimDesktopServices : public DesktopServices {
 public:
  std::function<std::optional<FileChoice>(const FileDialogRequest&)> File;
  std::function<std::optional<Colour>(Colour start)> Colours;
  std::function<bool(QPrinter&, PrinterDialog)> Printer;
  std::function<bool(const QUrl&)> Url;
  std::function<bool(const std::string& program)> Installed;
  std::function<bool(const DesktopTool&)> Start;

  std::vector<FileDialogRequest> FileRequests;
  std::vector<PrinterDialog> PrinterRequests;
  std::vector<QUrl> Urls;
  std::vector<std::string> StartedTools;

  std::optional<FileChoice> ChooseFile(QWidget* parent, const FileDialogRequest& request) override;
  std::optional<Colour> ChooseColour(QWidget* parent, Colour start) override;
  bool ChoosePrinter(QWidget* parent, QPrinter& printer, PrinterDialog kind) override;
  bool OpenUrl(const QUrl& url) override;
  bool ToolInstalled(const std::string& program) override;
  bool StartTool(const DesktopTool& tool) override;
};

}  // namespace sonavel
