#include "app/desktop_services.h"

#include <QColorDialog>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QPrintDialog>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QWidget>

#include "app/widget_helpers.h"

#include "platform/qt/qpainter_canvas.h"

namespace sonavel {

namespace {

// A dialog gives the keyboard back to the window it came from.
void BackTo(QWidget* parent) {
  if (parent && parent->isVisible()) parent->window()->activateWindow();
}
}  // namespace

std::optional<FileChoice> QtDesktopServices::ChooseFile(QWidget* parent, const FileDialogRequest& r) {
  QFileDialog dialog(parent, r.Title, r.Directory);
  dialog.setAcceptMode(r.Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(r.Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setNameFilters(r.Filters);
  dialog.setOption(QFileDialog::ReadOnly, false);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !r.ConfirmOverwrite);
  if (!r.DefaultSuffix.isEmpty()) dialog.setDefaultSuffix(r.DefaultSuffix);
  if (!r.SuggestedName.isEmpty()) dialog.selectFile(r.SuggestedName);
  const int result = dialog.exec();
  BackTo(parent);
  if (result != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  const int type = static_cast<int>(r.Filters.indexOf(dialog.selectedNameFilter())) + 1;
  return FileChoice{dialog.selectedFiles().front(), type > 0 ? type : 1};
}

std::optional<Colour> QtDesktopServices::ChooseColour(QWidget* parent, Colour start) {
  const QColor c = QColorDialog::getColor(ResolveColour(start, parent ? parent->palette() : QPalette()), parent,
                                          QStringLiteral("Farbe"));
  BackTo(parent);
  if (!c.isValid()) return std::nullopt;
  return ColourOfQColor(c);
}

bool QtDesktopServices::ChoosePrinter(QWidget* parent, QPrinter& printer, PrinterDialog kind) {
  QPrintDialog dialog(&printer, parent);
  dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
  if (kind == PrinterDialog::SetUp) {
    dialog.setWindowTitle(QStringLiteral("Druckereinstellungen"));
    // The dialog's own button says "Drucken"; here it only takes the choice.
    for (QDialogButtonBox* box : dialog.findChildren<QDialogButtonBox*>())
      if (QPushButton* ok = box->button(QDialogButtonBox::Ok)) ok->setText(QStringLiteral("OK"));
  } else {
    dialog.setWindowTitle(QStringLiteral("Drucken"));
  }
  const bool accepted = dialog.exec() == QDialog::Accepted;
  BackTo(parent);
  return accepted;
}

bool QtDesktopServices::OpenUrl(const QUrl& url) { return QDesktopServices::openUrl(url); }

bool QtDesktopServices::ToolInstalled(const std::string& program) {
  return !QStandardPaths::findExecutable(Q(program)).isEmpty();
}

bool QtDesktopServices::StartTool(const DesktopTool& tool) {
  QStringList arguments;
  for (const std::string& a : tool.Arguments) arguments << Q(a);
  return QProcess::startDetached(Q(tool.Program), arguments);
}

std::optional<FileChoice> SimDesktopServices::ChooseFile(QWidget*, const FileDialogRequest& request) {
  FileRequests.push_back(request);
  return File ? File(request) : std::nullopt;
}

std::optional<Colour> SimDesktopServices::ChooseColour(QWidget*, Colour start) {
  return Colours ? Colours(start) : std::nullopt;
}

bool SimDesktopServices::ChoosePrinter(QWidget*, QPrinter& printer, PrinterDialog kind) {
  PrinterRequests.push_back(kind);
  return Printer ? Printer(printer, kind) : false;
}

bool SimDesktopServices::OpenUrl(const QUrl& url) {
  Urls.push_back(url);
  return Url ? Url(url) : true;
}

bool SimDesktopServices::ToolInstalled(const std::string& program) { return Installed && Installed(program); }

bool SimDesktopServices::StartTool(const DesktopTool& tool) {
  StartedTools.push_back(tool.Program);
  return Start ? Start(tool) : true;
}

}  // namespace sonavel
