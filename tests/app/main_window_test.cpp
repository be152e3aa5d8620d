// The main window's layout rules, menus, captions and shortcuts.
#include <gtest/gtest.h>

#include <QAction>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

#include "session/menu_enabling.h"
#include "app_test_support.h"

namespace sonavel::apptest {
namespace {

void SetClientSize(TfrmMain& w, int width, int height) {
  const int extraW = w.width() - w.Client->width();
  const int extraH = w.height() - w.Client->height();
  w.resize(width + extraW, height + extraH);
  QApplication::processEvents();
}

TEST(MainWindowLayout, CreatedAtClientSizeWithTheResizeRules) {
  MainWindowRig rig;
  TfrmMain& w = *rig.window;
  w.show();
  QApplication::processEvents();
  ASSERT_EQ(w.Client->size(), QSize(894, 603));
  EXPECT_EQ(w.grpGraph->size(), QSize(884, 404));
  EXPECT_EQ(w.pbxAudiogram->size(), QSize(844, 353));
  EXPECT_EQ(w.grpThreshold->y(), 411);
  EXPECT_EQ(w.grpData->y(), 456);
  EXPECT_EQ(w.lblDateTime->y(), 585);
  EXPECT_EQ(w.pbxResults->width(), 844);

  // The rules follow every size, and lefts and tops that they do not name stay.
  SetClientSize(w, 1200, 800);
  EXPECT_EQ(w.grpGraph->geometry(), QRect(5, 0, 1190, 601));
  EXPECT_EQ(w.pbxAudiogram->geometry(), QRect(20, 34, 1150, 550));
  EXPECT_EQ(w.grpThreshold->geometry(), QRect(5, 608, 1190, 41));
  // The row lies inside the box's frame: at 17 or just below the frame's top edge.
  EXPECT_EQ(w.pbxResults->x(), 20);
  EXPECT_EQ(w.pbxResults->size(), QSize(1150, 19));
  EXPECT_GE(w.pbxResults->y(), 17);
  EXPECT_LE(w.pbxResults->geometry().bottom(), w.grpThreshold->height() - 2);
  EXPECT_EQ(w.grpData->geometry(), QRect(5, 653, 1190, 120));
  EXPECT_EQ(w.lblDateTime->pos(), QPoint(9, 782));
  EXPECT_EQ(w.lblCalFilename->pos(), QPoint(208, 782));
  EXPECT_EQ(w.txtLastName->geometry(), QRect(466, 22, 219, 26));
  // The chart is drawn at the new size.
  QApplication::processEvents();
  EXPECT_EQ(w.ChartImage().size(), QSize(1150, 550));

  // It cannot be made smaller than its minimum.
  SetClientSize(w, 300, 200);
  EXPECT_GE(w.Client->width(), 710);
  EXPECT_GE(w.Client->height(), 541);
}

TEST(MainWindowLayout, GermanCaptionsAndFonts) {
  MainWindowRig rig;
  TfrmMain& w = *rig.window;
  EXPECT_EQ(w.File1->title(), "&Datei");
  EXPECT_EQ(w.Open1->text(), "&Öffnen");
  EXPECT_EQ(w.Exit1->text(), "Exit");
  EXPECT_EQ(w.FAQ1->text(), "&FAQ");
  EXPECT_EQ(w.Retest1->text(), "Test &wiederholen (Nur Ausreißer)");
  EXPECT_EQ(w.SaveAs1->text(), "&Save As...");
  EXPECT_EQ(w.GraphSettings1->text(), "&Graph Settings");
  EXPECT_EQ(w.grpThreshold->title(), " Hörschwellenwerte [dB] ");
  EXPECT_EQ(w.lblReferenceNumber->text(), "Referenznummer:");
  EXPECT_EQ(w.font().pixelSize(), 14);
  EXPECT_EQ(w.grpGraph->font().pixelSize(), 15);
  EXPECT_EQ(w.Exit1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_X));
  EXPECT_EQ(w.CalInfo1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_I));
  EXPECT_EQ(w.ViewResults1->shortcut(), QKeySequence(Qt::Key_F8));
  EXPECT_EQ(w.dtpDOB->date(), QDate(1960, 1, 1));
}

// The window applies the rules each time a menu opens.
TEST(MenuEnabling, WindowEvaluatesAsEachMenuOpens) {
  for (const bool wave : {true, false}) {
    MainWindowRig rig(wave);
    TfrmMain& w = *rig.window;
    w.FormCreate({});
    EXPECT_EQ(rig.HostShowed("Keine Audiokarte gefunden! Test und Kalibrierung nicht verfügbar"), !wave);
    for (const bool results : {false, true}) {
      for (const bool calibration : {false, true}) {
        SCOPED_TRACE(testing::Message()
                     << "wave " << wave << " results " << results << " calibration " << calibration);
        w.State().ResultsPresent = results;
        w.State().CalibrationLoaded = calibration;
        emit w.PopupMenu1->aboutToShow();
        EXPECT_EQ(w.Print1->isEnabled(), results);
        EXPECT_EQ(w.Retest1->isEnabled(), results && calibration);
        EXPECT_EQ(w.Retest2->isEnabled(), results && calibration);
        EXPECT_EQ(w.ViewResults2->isEnabled(), results);
        EXPECT_EQ(w.CalInfo1->isEnabled(), wave && calibration);
        EXPECT_EQ(w.EarCalibration1->isEnabled(), wave);
      }
    }
  }
}

TEST(MainWindowCaption, NameEditsAndActivation) {
  MainWindowRig rig;
  TfrmMain& w = *rig.window;
  w.show();
  w.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  EXPECT_EQ(w.windowTitle(), "Sonavel 2.1");

  QTest::keyClicks(w.txtLastName, "M");
  w.txtLastName->insert("üller");  // the test keyboard types ASCII only
  EXPECT_EQ(w.windowTitle(), "Sonavel 2.1 -  Müller");
  QTest::keyClicks(w.txtFirstName, "Hans");
  EXPECT_EQ(w.windowTitle(), "Sonavel 2.1 - Hans Müller");
  EXPECT_EQ(w.State().Personal.FirstName, "Hans");
  EXPECT_EQ(w.State().Personal.LastName, "Müller");

  // Another window of the program takes the focus and gives it back: the plain caption returns.
  QWidget other;
  other.show();
  other.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
  w.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  EXPECT_EQ(w.windowTitle(), "Sonavel 2.1");
}

TEST(MainWindowShortcuts, MenuShortcutsWinInTextFields) {
  MainWindowRig rig;
  TfrmMain& w = *rig.window;
  w.FormCreate({});
  w.show();
  w.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));

  w.txtFirstName->setFocus();
  QTest::keyClicks(w.txtFirstName, "Hans");
  QTest::keyClicks(w.txtComment, "Notiz");
  w.txtFirstName->selectAll();
  // Ctrl+N is the New command, not a key of the field.
  QTest::keyClick(w.txtFirstName, Qt::Key_N, Qt::ControlModifier);
  EXPECT_EQ(w.txtFirstName->text(), "");
  EXPECT_EQ(w.txtComment->text(), "");
  EXPECT_EQ(w.State().Personal.Comment, "");

  // Ctrl+X is Exit, not Cut: the text stays and the window closes.
  QTest::keyClicks(w.txtLastName, "Meier");
  w.txtLastName->selectAll();
  QTest::keyClick(w.txtLastName, Qt::Key_X, Qt::ControlModifier);
  EXPECT_EQ(w.txtLastName->text(), "Meier");
  EXPECT_TRUE(w.CloseRequested());
  EXPECT_FALSE(w.isVisible());
  EXPECT_TRUE(w.State().AbortRequested);
}

TEST(MainWindowHelp, F1AndTheHelpMenuOpenTheirContexts) {
  MainWindowRig rig;
  TfrmMain& w = *rig.window;
  w.show();
  w.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  QTest::keyClick(w.txtComment, Qt::Key_F1);
  w.Gettingstarted1->trigger();
  w.FAQ1->trigger();
  EXPECT_EQ(rig.host.HelpOpened, (std::vector<int32_t>{1, 10, 21}));

  QUrl opened;
  rig.desktop.Url = [&](const QUrl& url) {
    opened = url;
    return true;
  };
  w.Emailtheauthor1->trigger();
  EXPECT_EQ(opened.scheme(), "mailto");
  EXPECT_EQ(opened.path(), "feedback@sonavel.org");
  EXPECT_EQ(opened.query(QUrl::FullyDecoded), "subject=Sonavel V2.1 feedback");

  // The about window disables the main window until it closes; its help is context 23.
  w.About1->trigger();
  EXPECT_FALSE(w.isEnabled());
  EXPECT_TRUE(w.AboutWindow().isVisible());
  w.AboutWindow().HelpButton()->click();
  EXPECT_EQ(rig.host.HelpOpened.back(), 23);
  w.AboutWindow().OkButton()->click();
  EXPECT_FALSE(w.AboutWindow().isVisible());
  EXPECT_TRUE(w.isEnabled());
}

}  // namespace
}  // namespace sonavel::apptest
