// The about window: the picture, "Hörtest", the version, OK and the help button. While it is
// open the main window is disabled.
#pragma once

#include <QWidget>
#include <functional>

class QPushButton;

namespace sonavel {

class TfrmAbout : public QWidget {
  Q_OBJECT
 public:
  explicit TfrmAbout(QWidget* parent = nullptr);
  QPushButton* OkButton() const { return ok_; }
  QPushButton* HelpButton() const { return help_; }

 signals:
  void HelpRequested(int context);
  // Hidden or closed: the main window is enabled again.
  void Closed();

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  QPushButton* ok_;
  QPushButton* help_;
};

}  // namespace sonavel
