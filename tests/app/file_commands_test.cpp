// The command line at start, Open and Save with their dialogs, and the chart of an opened file.
#include <gtest/gtest.h>

#include <QDateEdit>
#include <QImage>
#include <QLineEdit>
#include <QProcess>

#include "app_test_support.h"

namespace sonavel::apptest {
namespace {

TEST(CommandLine, AnAudiogramNamedOnItOpens) {
  struct Case {
    const char* name;
    std::vector<std::string> arguments;  // relative to the temporary folder; "" joins the folder
  };
  const Case cases[] = {
      {"any case of the extension", {"Hörtest.AuD"}},
      {"a path with a blank split in two", {"Herr Meier.aud"}},
      {"several blanks", {"a b c.AUD"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MainWindowRig rig;
    const std::string path = rig.Dir(c.arguments[0]);
    WriteBytes(path, ReadBytes(Fixture("aud/umlauts.aud")));
    // The shell hands a path with blanks over as several arguments.
    std::vector<std::string> arguments;
    std::string part;
    for (const char ch : path) {
      if (ch == ' ') {
        arguments.push_back(part);
        part.clear();
      } else {
        part += ch;
      }
    }
    arguments.push_back(part);
    rig.window->FormCreate(arguments);
    EXPECT_TRUE(rig.window->State().ResultsPresent);
    EXPECT_EQ(rig.window->txtLastName->text(), "Müller");
    EXPECT_EQ(rig.window->txtFirstName->text(), "Hans");
    EXPECT_EQ(rig.window->txtComment->text(), "Größe 1,80 m");
    EXPECT_EQ(rig.window->dtpDOB->date(), QDate(1970, 12, 31));
    EXPECT_TRUE(rig.host.Messages.empty());
  }
}

TEST(CommandLine, NoAudiogramMeansNew) {
  MainWindowRig rig;
  const std::string path = rig.Dir("kein.txt");
  WriteBytes(path, ReadBytes(Fixture("aud/full.aud")));
  rig.window->FormCreate({path});
  EXPECT_FALSE(rig.window->State().ResultsPresent);
  EXPECT_EQ(rig.window->State().CurrentAudiogram.Threshold[0][1], NoResult);
}

TEST(OpenCommand, DamagedFileChangesNothing) {
  MainWindowRig rig;
  TfrmMain& w = *rig.window;
  w.FormCreate({Fixture("aud/full.aud")});
  w.txtFirstName->setText("Erika");
  const AppState before = w.State();
  ASSERT_TRUE(before.ResultsPresent);

  std::string damaged = ReadBytes(Fixture("aud/full.aud"));
  damaged[3] = 'x';  // "PaxientFile"
  const std::string path = rig.Dir("kaputt.aud");
  WriteBytes(path, damaged);
  FileDialogRequest asked;
  rig.desktop.File = [&](const FileDialogRequest& r) -> std::optional<FileChoice> {
    asked = r;
    return FileChoice{QString::fromStdString(path), 1};
  };
  w.Open1Click();
  EXPECT_EQ(asked.Title, "Open Audiogram File");
  EXPECT_FALSE(asked.Save);
  ASSERT_EQ(rig.host.Messages.size(), 1u);
  EXPECT_EQ(rig.host.Messages[0].text, "File is not a valid Audiogram!");
  EXPECT_EQ(w.State().CurrentAudiogram, before.CurrentAudiogram);
  EXPECT_EQ(w.State().Personal, before.Personal);
  EXPECT_TRUE(w.State().ResultsPresent);
  EXPECT_EQ(w.txtFirstName->text(), "Erika");

  // A file that is cut short is refused the same way.
  WriteBytes(path, ReadBytes(Fixture("aud/full.aud")).substr(0, 700));
  w.Open1Click();
  ASSERT_EQ(rig.host.Messages.size(), 2u);
  EXPECT_EQ(w.State().CurrentAudiogram, before.CurrentAudiogram);

  // Cancelling the dialog does nothing at all.
  rig.desktop.File = [](const FileDialogRequest&) { return std::optional<FileChoice>(); };
  w.Open1Click();
  EXPECT_EQ(rig.host.Messages.size(), 2u);
}

TEST(SaveCommand, TheNameAndTypeChooseTheFormat) {
  struct Case {
    const char* name;
    int32_t type;
    bool text;
  };
  const Case cases[] = {
      {"a.txt", 1, true}, {"b.aud", 2, true}, {"c.TXT", 1, false}, {"d.TXT", 2, true}, {"e.aud", 1, false},
  };
  MainWindowRig rig;
  TfrmMain& w = *rig.window;
  w.FormCreate({Fixture("aud/full.aud")});
  w.txtLastName->setText("Müller");
  w.txtFirstName->setText("Hans");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = rig.Dir(c.name);
    FileDialogRequest asked;
    rig.desktop.File = [&](const FileDialogRequest& r) -> std::optional<FileChoice> {
      asked = r;
      return FileChoice{QString::fromStdString(path), c.type};
    };
    w.Save1Click();
    EXPECT_TRUE(asked.Save);
    EXPECT_EQ(asked.SuggestedName, "Müller Hans 07-03-2018");
    EXPECT_EQ(asked.Filters, (QStringList{"Audiogram (*.aud)", "ASCII-Text (*.txt)"}));
    EXPECT_EQ(asked.DefaultSuffix, "aud");
    const std::string bytes = ReadBytes(path);
    if (c.text) {
      EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 560);
      EXPECT_EQ(bytes.substr(0, 8), "M\xFCller\r\n");
    } else {
      EXPECT_EQ(bytes.substr(0, 12), "\x0BPatientFile");
    }
  }
  EXPECT_TRUE(rig.host.Messages.empty());
}

// The chart in the window is the chart of the command-line companion, pixel for pixel.
TEST(Chart, WindowDrawsTheSamePixelsAsTheCli) {
  MainWindowRig rig;
  TfrmMain& w = *rig.window;
  const std::string png = rig.Dir("chart.png");
  QProcess cli;
  cli.start(QStringLiteral(SONAVEL_CLI_PATH), {"chart", QString::fromStdString(Fixture("aud/full.aud")),
                                               "--out", QString::fromStdString(png), "--locale", "de_DE"});
  ASSERT_TRUE(cli.waitForFinished(30000));
  ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
  const QImage expected = QImage(QString::fromStdString(png)).convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(expected.size(), QSize(844, 353 + 19));

  w.FormCreate({Fixture("aud/full.aud")});
  w.show();
  QApplication::processEvents();
  ASSERT_EQ(w.pbxAudiogram->size(), QSize(844, 353));
  const QImage chart = w.pbxAudiogram->grab().toImage().convertToFormat(QImage::Format_RGB32);
  const QImage row = w.pbxResults->grab().toImage().convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(chart, expected.copy(0, 0, 844, 353));
  EXPECT_EQ(row, expected.copy(0, 353, 844, 19));
  EXPECT_EQ(w.lblDateTime->text(), "Testdatum: 07-03-2018 Uhrzeit: 14h30.");

  // New clears the chart: the grid and the settings columns, no date.
  w.New1Click();
  QApplication::processEvents();
  EXPECT_NE(w.pbxAudiogram->grab().toImage().convertToFormat(QImage::Format_RGB32), chart);
  EXPECT_EQ(w.lblDateTime->text(), "");
}

}  // namespace
}  // namespace sonavel::apptest
