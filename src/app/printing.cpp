#include "app/printing.h"

#include <QAbstractButton>
#include <QDateEdit>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QWidget>
#include <optional>

#include "core/error.h"
#include "files/atomic_file.h"

namespace sonavel {

PrintService::PrintService(DesktopServices& desktop)
    : desktop_(desktop), printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {}

PrintService::~PrintService() = default;

bool PrintService::AskPrinter(QWidget* parent) { return desktop_.ChoosePrinter(parent, *printer_, PrinterDialog::Print); }

bool PrintService::SetUpPrinter(QWidget* parent) {
  return desktop_.ChoosePrinter(parent, *printer_, PrinterDialog::SetUp);
}

bool PrintService::ReadyToPrint() const {
  if (printer_->outputFormat() == QPrinter::PdfFormat) return !printer_->outputFileName().isEmpty();
  return !printer_->printerName().isEmpty();
}

QString PrintService::FileToReplace() const {
  if (printer_->outputFormat() != QPrinter::PdfFormat) return {};
  const QString file = printer_->outputFileName();
  return !file.isEmpty() && QFileInfo::exists(file) ? file : QString();
}

PaperCanvas::PaperCanvas(QPainter& painter, int32_t width, int32_t height, Colour background,
                         const QPalette& palette, const QFont& font)
    : QPainterCanvas(painter, width, height, background, palette, font),
      painter_(painter),
      palette_(palette) {}

void PaperCanvas::MoveTo(int32_t x, int32_t y) {
  QPainterCanvas::MoveTo(x, y);
  pos_ = {x, y};
}

void PaperCanvas::LineTo(int32_t x, int32_t y) {
  // A straight line one pixel wide: on paper the screen's pixel-by-pixel raster would vanish.
  painter_.setPen(QPen(ResolveColour(PenColour(), palette_), 1.0, Qt::SolidLine, Qt::FlatCap));
  painter_.drawLine(QPointF(pos_.x + 0.5, pos_.y + 0.5), QPointF(x + 0.5, y + 0.5));
  QPainterCanvas::MoveTo(x, y);
  pos_ = {x, y};
}

namespace {

// The standard controls as the style draws them, straight onto the printer's painter.
void PaintControl(QWidget& w, QPainter& p) {
  QStyle* style = w.style();
  p.setFont(w.font());
  if (auto* box = qobject_cast<QGroupBox*>(&w)) {
    QStyleOptionGroupBox opt;
    opt.initFrom(box);
    opt.text = box->title();
    opt.lineWidth = 1;
    opt.subControls =
        QStyle::SC_GroupBoxFrame | (box->title().isEmpty() ? QStyle::SC_None : QStyle::SC_GroupBoxLabel);
    opt.textAlignment = box->alignment();
    opt.textColor = box->palette().color(QPalette::WindowText);
    style->drawComplexControl(QStyle::CC_GroupBox, &opt, &p, box);
  } else if (auto* label = qobject_cast<QLabel*>(&w)) {
    int flags = static_cast<int>(label->alignment());
    if (label->wordWrap()) flags |= Qt::TextWordWrap;
    style->drawItemText(&p, label->contentsRect(), flags, label->palette(), label->isEnabled(), label->text(),
                        QPalette::WindowText);
  } else if (auto* button = qobject_cast<QAbstractButton*>(&w)) {
    QStyleOptionButton opt;
    opt.initFrom(button);
    opt.text = button->text();
    opt.state |= QStyle::State_Raised;
    style->drawControl(QStyle::CE_PushButton, &opt, &p, button);
  } else if (auto* edit = qobject_cast<QLineEdit*>(&w)) {
    QStyleOptionFrame opt;
    opt.initFrom(edit);
    opt.lineWidth = 1;
    // The edit field of a date or number field has no frame of its own.
    if (edit->hasFrame()) style->drawPrimitive(QStyle::PE_PanelLineEdit, &opt, &p, edit);
    const int inset = edit->hasFrame() ? 4 : 1;
    style->drawItemText(&p, edit->rect().adjusted(inset, 0, -inset, 0), Qt::AlignLeft | Qt::AlignVCenter,
                        edit->palette(), edit->isEnabled(), edit->text(), QPalette::Text);
  } else if (auto* date = qobject_cast<QDateTimeEdit*>(&w); date && date->calendarPopup()) {
    // A date field with its calendar drop-down is drawn as the style draws a combo box; its
    // text is its inner line edit's, a child painted after it.
    QStyleOptionComboBox opt;
    opt.initFrom(date);
    opt.editable = true;
    opt.frame = true;
    opt.subControls = QStyle::SC_ComboBoxFrame | QStyle::SC_ComboBoxEditField | QStyle::SC_ComboBoxArrow;
    style->drawComplexControl(QStyle::CC_ComboBox, &opt, &p, date);
  } else if (auto* spin = qobject_cast<QAbstractSpinBox*>(&w)) {
    QStyleOptionSpinBox opt;
    opt.initFrom(spin);
    opt.frame = true;
    opt.subControls = QStyle::SC_SpinBoxFrame | QStyle::SC_SpinBoxEditField;
    style->drawComplexControl(QStyle::CC_SpinBox, &opt, &p, spin);
  } else if (auto* frame = qobject_cast<QFrame*>(&w)) {
    p.setPen(QPen(frame->palette().color(QPalette::Mid), 1.0));
    if (frame->frameShape() == QFrame::HLine)
      p.drawLine(QPointF(0, frame->height() / 2.0), QPointF(frame->width(), frame->height() / 2.0));
    else if (frame->frameShape() == QFrame::VLine)
      p.drawLine(QPointF(frame->width() / 2.0, 0), QPointF(frame->width() / 2.0, frame->height()));
  }
}

void PaintTree(QWidget& w, QPainter& p, const PaperPainter& own) {
  if (!(own && own(w, p))) PaintControl(w, p);
  for (QObject* child : w.children()) {
    auto* c = qobject_cast<QWidget*>(child);
    if (c == nullptr || c->isHidden() || c->isWindow()) continue;
    p.save();
    p.translate(c->pos());
    PaintTree(*c, p, own);
    p.restore();
  }
}

}  // namespace

void PrintWidgetImage(QPrinter& printer, QWidget& widget, const PaperPainter& own) {
  // A PDF file is written as every file of the program is (files/atomic_file): into a temporary
  // file beside its target, put on disk and in its place once it is complete, so that a failed
  // job leaves an earlier file as it was.
  const bool toFile = printer.outputFormat() == QPrinter::PdfFormat;
  const QString target = printer.outputFileName();
  const std::string cannotWrite = "Die Datei \"" + target.toStdString() + "\" kann nicht geschrieben werden.";
  std::optional<AtomicFileWriter> file;
  if (toFile) {
    if (FailureOf([&] { file.emplace(target.toStdString()); })) throw SonavelError(cannotWrite);
    printer.setOutputFileName(QString::fromStdString(file->TemporaryPath()));
  }
  struct ResetName {
    QPrinter& printer;
    bool toFile;
    QString target;
    ~ResetName() {
      if (toFile) printer.setOutputFileName(target);
    }
  } resetName{printer, toFile, target};

  QPainter painter;
  if (!painter.begin(&printer)) {
    if (toFile) throw SonavelError(cannotWrite);
    throw SonavelError("Der Drucker \"" + printer.printerName().toStdString() +
                       "\" kann den Druckauftrag nicht annehmen.");
  }
  // The window keeps its size on paper: printer pixels per inch over the screen's. A window larger
  // than the page is made smaller, so that nothing of it is cut off.
  double sx = static_cast<double>(printer.logicalDpiX()) / widget.logicalDpiX();
  double sy = static_cast<double>(printer.logicalDpiY()) / widget.logicalDpiY();
  const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
  const double fit =
      std::min({1.0, page.width() / (sx * widget.width()), page.height() / (sy * widget.height())});
  painter.scale(sx * fit, sy * fit);
  painter.fillRect(widget.rect(), widget.palette().color(QPalette::Window));
  PaintTree(widget, painter, own);
  if (!painter.end()) throw SonavelError("Der Druckauftrag konnte nicht abgeschlossen werden.");
  if (file && FailureOf([&] { file->Commit(); })) throw SonavelError(cannotWrite);
}

}  // namespace sonavel
