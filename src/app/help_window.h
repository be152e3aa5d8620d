// The help of the program: German HTML topics in help/de, opened by context number in a window
// of its own with back and forward and the list of topics.
#pragma once

#include <QString>
#include <QWidget>
#include <cstdint>
#include <vector>

class QListWidget;
class QTextBrowser;
class QToolButton;

namespace sonavel {

// The context numbers the program opens, with the file of each topic.
struct HelpTopic {
  int32_t Context;
  const char* Title;  // shown in the list until the page's own title is known
};
const std::vector<HelpTopic>& HelpTopics();
QString HelpFileName(int32_t context);  // "topic_14.html"

// The folder of the help pages: SONAVEL_HELP_DIR, else the installed folder beside the program,
// else the source tree's help/de. Empty when none holds any page.
QString HelpDirectory();

class THelpWindow : public QWidget {
  Q_OBJECT
 public:
  explicit THelpWindow(QString directory, QWidget* parent = nullptr);

  // Shows the topic of this context number and brings the window to the front.
  void ShowContext(int32_t context);
  int32_t CurrentContext() const { return current_; }
  QTextBrowser* Browser() const { return browser_; }

 private:
  void ShowTopicPage(int32_t context);
  void SyncList();

  QString directory_;
  QTextBrowser* browser_;
  QListWidget* topics_;
  QToolButton* back_;
  QToolButton* forward_;
  int32_t current_ = 0;
};

}  // namespace sonavel
