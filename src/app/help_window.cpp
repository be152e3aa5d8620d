#include "app/help_window.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QListWidget>
#include <QRegularExpression>
#include <QSplitter>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace sonavel {

const std::vector<HelpTopic>& HelpTopics() {
  static const std::vector<HelpTopic> topics{
      {1, "Hauptfenster"},
      {10, "Einführung"},
      {14, "Anleitung für die Testperson"},
      {11, "Kalibrierung"},
      {26, "Kompatibilitätstest"},
      {5, "Einstellungen: Testablauf"},
      {6, "Einstellungen: Hardware"},
      {7, "Einstellungen: Dateien"},
      {9, "Einstellungen: Grafik"},
      {24, "Testergebnisse"},
      {21, "Häufige Fragen"},
      {23, "Über dieses Programm"},
  };
  return topics;
}

QString HelpFileName(int32_t context) {
  return QStringLiteral("topic_%1.html").arg(context, 2, 10, QChar('0'));
}

QString HelpDirectory() {
  QStringList candidates;
  const QByteArray env = qgetenv("SONAVEL_HELP_DIR");
  if (!env.isEmpty()) candidates << QString::fromLocal8Bit(env);
  const QString appDir = QCoreApplication::applicationDirPath();
  candidates << appDir + "/../share/sonavel/help/de" << appDir + "/help/de";
#ifdef SONAVEL_SOURCE_HELP_DIR
  candidates << QStringLiteral(SONAVEL_SOURCE_HELP_DIR);
#endif
  for (const QString& c : candidates) {
    const QDir dir(c);
    if (dir.exists() && !dir.entryList({"topic_*.html"}, QDir::Files).isEmpty()) return dir.absolutePath();
  }
  return {};
}

namespace {

// The page's <title>, for the topic list.
QString PageTitle(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QString head = QString::fromUtf8(file.read(8192));
  const QRegularExpression re(
      QStringLiteral("<title>(.*?)</title>"),
      QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
  const auto m = re.match(head);
  return m.hasMatch() ? m.captured(1).simplified() : QString();
}

int32_t ContextOfUrl(const QUrl& url) {
  static const QRegularExpression re(QStringLiteral("topic_(\\d+)\\.html$"));
  const auto m = re.match(url.path());
  return m.hasMatch() ? m.captured(1).toInt() : 0;
}

}  // namespace

THelpWindow::THelpWindow(QString directory, QWidget* parent)
    : QWidget(parent, Qt::Window), directory_(std::move(directory)) {
  setWindowTitle(QStringLiteral("Sonavel - Hilfe"));
  setObjectName(QStringLiteral("frmHelp"));
  resize(900, 640);

  back_ = new QToolButton(this);
  back_->setText(QStringLiteral("< Zurück"));
  back_->setObjectName(QStringLiteral("btnBack"));
  forward_ = new QToolButton(this);
  forward_->setText(QStringLiteral("Vor >"));
  forward_->setObjectName(QStringLiteral("btnForward"));
  back_->setEnabled(false);
  forward_->setEnabled(false);

  topics_ = new QListWidget(this);
  topics_->setObjectName(QStringLiteral("lstTopics"));
  for (const HelpTopic& t : HelpTopics()) {
    QString title = directory_.isEmpty() ? QString() : PageTitle(directory_ + "/" + HelpFileName(t.Context));
    if (title.isEmpty()) title = QString::fromUtf8(t.Title);
    auto* item = new QListWidgetItem(title, topics_);
    item->setData(Qt::UserRole, t.Context);
  }

  browser_ = new QTextBrowser(this);
  browser_->setObjectName(QStringLiteral("txtHelp"));
  browser_->setOpenExternalLinks(true);
  if (!directory_.isEmpty()) browser_->setSearchPaths({directory_});

  auto* splitter = new QSplitter(this);
  splitter->addWidget(topics_);
  splitter->addWidget(browser_);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({230, 670});

  auto* bar = new QHBoxLayout;
  bar->addWidget(back_);
  bar->addWidget(forward_);
  bar->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(bar);
  layout->addWidget(splitter, 1);

  connect(back_, &QToolButton::clicked, browser_, &QTextBrowser::backward);
  connect(forward_, &QToolButton::clicked, browser_, &QTextBrowser::forward);
  connect(browser_, &QTextBrowser::backwardAvailable, back_, &QToolButton::setEnabled);
  connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QToolButton::setEnabled);
  connect(browser_, &QTextBrowser::sourceChanged, this, [this](const QUrl& url) {
    current_ = ContextOfUrl(url);
    SyncList();
  });
  connect(topics_, &QListWidget::itemActivated, this,
          [this](QListWidgetItem* item) { ShowTopicPage(item->data(Qt::UserRole).toInt()); });
  connect(topics_, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { ShowTopicPage(item->data(Qt::UserRole).toInt()); });
}

void THelpWindow::ShowTopicPage(int32_t context) {
  const QString path = directory_.isEmpty() ? QString() : directory_ + "/" + HelpFileName(context);
  if (!path.isEmpty() && QFileInfo::exists(path)) {
    if (ContextOfUrl(browser_->source()) != context) browser_->setSource(QUrl::fromLocalFile(path));
  } else {
    current_ = context;
    browser_->setHtml(
        QStringLiteral("<h2>Hilfe</h2><p>Das Hilfethema %1 ist nicht vorhanden.</p>"
                       "<p>Die Hilfeseiten werden im Ordner <tt>help/de</tt> gesucht%2.</p>")
            .arg(context)
            .arg(directory_.isEmpty() ? QString() : QStringLiteral(" (hier: %1)").arg(directory_)));
    SyncList();
  }
}

void THelpWindow::SyncList() {
  for (int i = 0; i < topics_->count(); ++i) {
    if (topics_->item(i)->data(Qt::UserRole).toInt() == current_) {
      const QSignalBlocker block(topics_);
      topics_->setCurrentRow(i);
      return;
    }
  }
  topics_->clearSelection();
}

void THelpWindow::ShowContext(int32_t context) {
  ShowTopicPage(context);
  // Help asked for in a window that stays on top (the settings, the test window) would open
  // under it: it stays on top as well then, and as a normal window otherwise.
  const QWidget* asking = QApplication::activeWindow();
  const bool onTop = asking && asking != this && (asking->windowFlags() & Qt::WindowStaysOnTopHint);
  if (onTop != static_cast<bool>(windowFlags() & Qt::WindowStaysOnTopHint)) {
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
  }
  if (isMinimized()) showNormal();
  show();
  raise();
  activateWindow();
}

}  // namespace sonavel
