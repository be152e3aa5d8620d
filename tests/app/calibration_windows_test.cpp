// The calibration windows on the offscreen platform with the simulated mixer: the calibration by
// ear from the menu to the saved file and the test that uses it, the question before a new
// calibration, the information dialog's two modes and its failures, the compatibility test's
// fields, and the one tone output the two windows share.
#include "app/calibration_windows.h"

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QTest>
#include <map>

#include "app/bio_cal_wizard.h"
#include "app/calibration_info_dialog.h"
#include "app/compatibility_test_window.h"
#include "app/hearing_test_window.h"
#include "app_test_support.h"
#include "calibration/calibration_file.h"
#include "calibration/calibration_rig.h"
#include "platform/sim/sim_calibrator.h"
#include "platform/sim/simulation.h"

namespace sonavel::apptest {
namespace {

// Master 65535 in 20 steps (q = 3276), a per-channel gain of 1000 in 10 (q = 100), wave 65535
// in 100 (q = 655): the card of the calibration rules' tests.
using test::CalibrationCard;
using test::GainID;
using test::MasterID;
using test::WaveID;

// A wave control that reports no steps, beside a usable master.
const char* const NoWaveStepsCard = R"(
device "Stufenlos" version 1.0
destination DST_SPEAKERS "Speakers" id 0xFFFF0000
  control VOLUME "Master Volume" id 0x10 max 65535 steps 20 value 1000 1000
  source SRC_WAVEOUT "Wave"
    control VOLUME "Wave Volume" id 0x20 max 65535 steps 0 value 0
)";

struct CalRig : MainWindowRig {
  explicit CalRig(const std::string& fixture = CalibrationCard) : MainWindowRig(true, fixture) {
    window->FormCreate({});
    window->GetSession().OpenMixerDevice(0);
    window->show();
    host.Messages.clear();
  }
  TfrmMain& Main() { return *window; }
  CalibrationWindows& Cal() { return window->Calibration(); }
  TfrmBioCal& Wizard() { return Cal().BioCal(); }
  TfrmCompatibilityTest& Compat() { return Cal().CompatibilityTest(); }
  TfrmCalibrationInfo& Info() { return Cal().CalibrationInfo(); }
  AppState& State() { return window->State(); }
  Session& S() { return window->GetSession(); }
  std::vector<std::vector<int32_t>> SetsOf(uint32_t id, size_t from = 0) const {
    std::vector<std::vector<int32_t>> out;
    for (size_t i = from; i < mixer.Sets.size(); ++i)
      if (mixer.Sets[i].controlID == id) out.push_back(mixer.Sets[i].items);
    return out;
  }
  // F3 answered: No to the compatibility test, then `reference` to the reference audiogram.
  void NewCalibration(int32_t reference = ResultNo) {
    host.QueueAnswer(ResultNo);
    host.QueueAnswer(reference);
    Main().EarCalibration1->trigger();
  }
};

// Moves a column's thumb so that the slider shows `value`, as a user drags it.
void Drag(VolumeColumn& c, int32_t value) { c.Slider->setValue(c.Slider->maximum() - value); }

struct PageValues {
  int32_t wave, master, gain;
};
// Distinct positions on every page, so that each page's entry can be told apart.
PageValues ChosenFor(int page) { return {10 + page, 1 + page % 20, page % 11}; }

std::map<std::pair<int, int>, PageValues> ParseCalInfo(const QString& text) {
  std::map<std::pair<int, int>, PageValues> rows;
  for (const QString& line : text.split('\n')) {
    const QStringList f = line.split('\t');
    if (f.size() != 6 || f[0] == "ear") continue;
    rows[{f[0].toInt(), f[1].toInt()}] = {f[2].toInt(), f[3].toInt(), f[4].toInt()};
    EXPECT_EQ(f[5].toDouble(), 0.0) << line.toStdString();
  }
  return rows;
}

TEST(CalibrationByEar, TwentyTwoPagesAcceptedSavedReadBackAndUsedByANewTest) {
  CalRig rig;
  TfrmMain& w = rig.Main();
  ASSERT_FALSE(rig.State().CalibrationLoaded);
  rig.NewCalibration();
  TfrmBioCal& wiz = rig.Wizard();
  ASSERT_TRUE(wiz.isVisible());
  EXPECT_FALSE(w.isEnabled());
  EXPECT_FALSE(wiz.Threshold->isVisible());
  EXPECT_TRUE(wiz.GainBox->isVisible());

  for (int page = 0; page < 22; ++page) {
    const int ear = page / 11, index = page % 11 + 1;
    SCOPED_TRACE(page);
    EXPECT_EQ(wiz.windowTitle(), QString("Kalibrierung per Gehör- %1 %2 Hz")
                                     .arg(ear == 0 ? "Linkes Ohr" : "Rechtes Ohr")
                                     .arg(rig.State().FrequencyTable[index]));
    const PageValues v = ChosenFor(page);
    Drag(*wiz.WaveColumn, v.wave);
    Drag(*wiz.MasterColumn, v.master);
    Drag(*wiz.GainColumn, v.gain);
    EXPECT_EQ(wiz.WaveColumn->Value->text(), QString::number(v.wave));
    EXPECT_EQ(wiz.GainColumn->Value->text(), QString::number(v.gain));
    // The card took the levels the sliders set: q x value, the gain on the page's ear only.
    EXPECT_EQ(rig.mixer.Values(0, WaveID), (std::vector<int32_t>{655 * v.wave, 655 * v.wave}));
    EXPECT_EQ(rig.mixer.Values(0, MasterID), (std::vector<int32_t>{3276 * v.master, 3276 * v.master}));
    const int32_t g = 100 * v.gain;
    EXPECT_EQ(rig.mixer.Values(0, GainID),
              ear == 0 ? (std::vector<int32_t>{g, 0}) : (std::vector<int32_t>{0, g}));
    // The tone plays on the page's ear at -70 dBFS (a threshold of 0 dB HL) and stops with Next.
    wiz.OnButton->click();
    EXPECT_EQ(wiz.OnButton->text(), "Aus");
    EXPECT_TRUE(wiz.shpLED->Green());
    EXPECT_TRUE(rig.S().Output.IsOpen());
    EXPECT_DOUBLE_EQ(wiz.Rules().ToneLevel(), -70.0);
    wiz.Next->click();
  }
  EXPECT_FALSE(wiz.isVisible());
  EXPECT_FALSE(rig.S().Output.IsOpen());

  // The information dialog in accept mode, the main window still disabled.
  TfrmCalibrationInfo& info = rig.Info();
  ASSERT_TRUE(info.isVisible());
  EXPECT_TRUE(info.AcceptMode());
  EXPECT_FALSE(w.isEnabled());
  EXPECT_TRUE(info.Cancel->isVisible());
  EXPECT_EQ(info.Soundcard->text(), "Cal Card");
  EXPECT_FALSE(info.Soundcard->isEnabled());
  EXPECT_EQ(info.Comment->text(), "Calibration by Ear");
  EXPECT_EQ(info.DateStamp->text(), QString("Calibration finished on %1 at %2")
                                        .arg(QString::fromStdString(rig.S().NewCalibrationDate),
                                             QString::fromStdString(rig.S().NewCalibrationTime)));
  info.Person->insert("Jörg Hörmann");
  QTest::keyClicks(info.Headphones, "HDA 200");
  const std::string file = rig.Dir("ohr.cal");
  FileDialogRequest asked;
  rig.desktop.File = [&](const FileDialogRequest& r) -> std::optional<FileChoice> {
    asked = r;
    return FileChoice{QString::fromStdString(file), 1};
  };
  info.OKSave->click();
  EXPECT_EQ(asked.Title, "Save Calibration Data File");
  EXPECT_TRUE(asked.Save);
  EXPECT_FALSE(info.isVisible());
  EXPECT_TRUE(w.isEnabled());
  EXPECT_TRUE(rig.State().CalibrationLoaded);
  w.UpdateMenus();
  EXPECT_TRUE(w.CheckorRecalibratebyEar1->isEnabled());
  EXPECT_TRUE(w.CalInfo1->isEnabled());

  // Read back by the companion: every entry is the page's chosen positions.
  QProcess cli;
  cli.start(SONAVEL_CLI_PATH, {"cal-info", QString::fromStdString(file)});
  ASSERT_TRUE(cli.waitForFinished(20000));
  ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
  const QString out = QString::fromUtf8(cli.readAllStandardOutput());
  EXPECT_TRUE(out.contains("Jörg Hörmann")) << out.toStdString();
  EXPECT_TRUE(out.contains("HDA 200"));
  EXPECT_TRUE(out.contains("Cal Card"));
  const auto rows = ParseCalInfo(out);
  ASSERT_EQ(rows.size(), 22u) << out.toStdString();
  for (int page = 0; page < 22; ++page) {
    const int ear = page / 11, index = page % 11 + 1;
    const PageValues v = ChosenFor(page);
    const auto& r = rows.at({ear, rig.State().FrequencyTable[index]});
    EXPECT_EQ(r.wave, v.wave) << page;
    EXPECT_EQ(r.master, v.master) << page;
    EXPECT_EQ(r.gain, v.gain) << page;
  }

  // A New Test runs with it: the first presentation's wave and master levels are those of the
  // calibration at its slot.
  AppState& s = rig.State();
  s.Settings.Trial = false;
  const size_t runFrom = rig.mixer.Sets.size();
  const size_t messagesFrom = rig.host.Messages.size();
  rig.host.At(3.0, [&] { RequestAbort(s); });
  rig.S().Procedure().NewTest1Click();
  const auto waveInRun = rig.SetsOf(WaveID, runFrom);
  ASSERT_FALSE(waveInRun.empty());
  bool matchesAnEntry = false;
  for (int page = 0; page < 22; ++page)
    matchesAnEntry |= waveInRun.front() == std::vector<int32_t>(2, 655 * ChosenFor(page).wave);
  EXPECT_TRUE(matchesAnEntry);
  // No refusal for want of a calibration.
  for (size_t i = messagesFrom; i < rig.host.Messages.size(); ++i)
    EXPECT_EQ(rig.host.Messages[i].text.find("Kalibrier"), std::string::npos) << rig.host.Messages[i].text;
}

TEST(CalibrationByEar, QuestionFirstAndReferenceAudiogram) {
  CalRig rig;
  // Yes: the compatibility test instead, the main window stays enabled.
  rig.host.QueueAnswer(ResultYes);
  rig.Main().EarCalibration1->trigger();
  ASSERT_GE(rig.host.Messages.size(), 1u);
  EXPECT_EQ(rig.host.Messages[0].text, CompatibilityFirstQuestion);
  EXPECT_TRUE(rig.Compat().isVisible());
  EXPECT_FALSE(rig.Wizard().isVisible());
  EXPECT_TRUE(rig.Main().isEnabled());
  rig.Compat().btnClose->click();

  // No, then a reference audiogram: the yellow field is shown and a known 70 dB plays at 0 dBFS.
  rig.NewCalibration(ResultYes);
  TfrmBioCal& wiz = rig.Wizard();
  EXPECT_EQ(rig.host.Messages.back().text, ReferenceAudiogramQuestion);
  EXPECT_EQ(rig.host.Messages.back().helpContext, BioCalHelpContext);
  EXPECT_TRUE(wiz.Threshold->isVisible());
  EXPECT_TRUE(wiz.Label6->isVisible());
  EXPECT_TRUE(wiz.Directions->text().startsWith("Geben Sie Ihre bekannte"));
  EXPECT_GE(wiz.Label9->y(), wiz.Directions->geometry().bottom());
  EXPECT_LE(wiz.Label9->y(), wiz.Directions->geometry().bottom() + 1);
  wiz.Threshold->setText("70");
  wiz.OnButton->click();
  EXPECT_DOUBLE_EQ(wiz.Rules().ToneLevel(), 0.0);
  // Enter with a new threshold restarts the tone at it.
  wiz.Threshold->setText("20");
  QTest::keyClick(wiz.Threshold, Qt::Key_Return);
  EXPECT_TRUE(wiz.Rules().TonePlaying());
  EXPECT_DOUBLE_EQ(wiz.Rules().ToneLevel(), -50.0);
  wiz.OnButton->click();
  // A threshold that is not a whole number: a message, no tone, "Ein" again.
  wiz.Threshold->setText("2,5");
  const size_t before = rig.host.Messages.size();
  wiz.OnButton->click();
  EXPECT_EQ(rig.host.Messages.size(), before + 1);
  EXPECT_EQ(wiz.OnButton->text(), "Ein");
  EXPECT_FALSE(wiz.shpLED->Green());
  EXPECT_FALSE(rig.S().Output.IsOpen());
}

TEST(CalibrationByEar, SlidersHaveTheirMaximumAtTheBottom) {
  CalRig rig;
  rig.NewCalibration();
  TfrmBioCal& wiz = rig.Wizard();
  QSlider* wave = wiz.WaveColumn->Slider;
  EXPECT_EQ(wave->maximum(), 100);
  EXPECT_EQ(wave->tickInterval(), 12);
  EXPECT_TRUE(wave->invertedAppearance());  // position 0 drawn at the top
  // A fresh first page starts with every slider at 0: the thumb at the bottom.
  EXPECT_EQ(wave->value(), 100);
  wave->setValue(0);  // thumb at the top
  EXPECT_EQ(wiz.WaveColumn->Value->text(), "100");
  EXPECT_EQ(rig.mixer.Sets.back().items, (std::vector<int32_t>{65500, 65500}));
  EXPECT_EQ(wiz.MasterColumn->Slider->maximum(), 20);
  EXPECT_EQ(wiz.GainColumn->Slider->maximum(), 10);
}

TEST(CalibrationByEar, EscapeGoesBackAndCancelsOnTheFirstPage) {
  CalRig rig;
  rig.NewCalibration();
  TfrmBioCal& wiz = rig.Wizard();
  EXPECT_EQ(wiz.Previous->text(), "Abbrechen");
  EXPECT_EQ(wiz.Previous->toolTip(), "Kalibrierung abbrechen");
  Drag(*wiz.MasterColumn, 7);
  wiz.Next->click();
  EXPECT_EQ(wiz.Previous->text(), "<- Zurück");
  EXPECT_EQ(wiz.Previous->toolTip(), "Zurück zur vorherigen Frequenz");
  // The second page starts from the first one's sliders.
  EXPECT_EQ(wiz.MasterColumn->Value->text(), "7");
  wiz.OnButton->click();
  QTest::keyClick(&wiz, Qt::Key_Escape);
  EXPECT_EQ(wiz.lblFreqSide->text(), "Linkes Ohr 125 Hz");
  EXPECT_FALSE(rig.S().Output.IsOpen());
  QTest::keyClick(&wiz, Qt::Key_Escape);
  EXPECT_FALSE(wiz.isVisible());
  EXPECT_FALSE(rig.Info().isVisible());
  EXPECT_TRUE(rig.Main().isEnabled());
  EXPECT_FALSE(rig.State().CalibrationLoaded);
}

TEST(CalibrationInfo, CancelKeepsTheCalibrationInUse) {
  CalRig rig;
  AppState& s = rig.State();
  const std::string old = rig.Dir("alt.cal");
  CalibrationTable oldTable{};
  oldTable[0][5] = {33, 4, 0, 0, 2.5};
  CalibrationHeader oldHeader;
  oldHeader.CalibrationDate = "01.02.2003";
  oldHeader.CalibrationTime = "04:05:06";
  WriteCal(old, oldHeader, oldTable);
  ASSERT_TRUE(rig.S().LoadCalibration(old));
  const CalibrationTable before = s.CalibrationData;

  rig.Main().UpdateMenus();
  rig.host.QueueAnswer(ResultNo);  // reference audiogram
  rig.Main().CheckorRecalibratebyEar1->trigger();
  TfrmBioCal& wiz = rig.Wizard();
  ASSERT_TRUE(wiz.isVisible());
  // Started from the calibration in use.
  for (int page = 0; page < 22; ++page) {
    if (page == 4) {
      EXPECT_EQ(wiz.WaveColumn->Value->text(), "33");
    }
    Drag(*wiz.MasterColumn, 9);
    wiz.Next->click();
  }
  ASSERT_TRUE(rig.Info().isVisible());
  rig.Info().Cancel->click();
  EXPECT_FALSE(rig.Info().isVisible());
  EXPECT_TRUE(rig.Main().isEnabled());
  EXPECT_EQ(s.CalibrationData[0][5].WaveLevel, before[0][5].WaveLevel);
  EXPECT_EQ(s.CalibrationData[0][5].MasterLevel, 4);
  EXPECT_EQ(s.CalibrationData[0][5].LevelOffset, 2.5);

  // Inspection: the edits read-only, no Cancel, the date of the calibration in use.
  rig.Main().CalInfo1->trigger();
  TfrmCalibrationInfo& info = rig.Info();
  ASSERT_TRUE(info.isVisible());
  EXPECT_FALSE(info.AcceptMode());
  EXPECT_FALSE(rig.Main().isEnabled());
  EXPECT_FALSE(info.Cancel->isVisible());
  EXPECT_FALSE(info.Person->isEnabled());
  EXPECT_FALSE(info.Comment->isEnabled());
  EXPECT_EQ(info.DateStamp->text(), "Calibration finished on 01.02.2003 at 04:05:06");
  QTest::keyClick(&info, Qt::Key_Return);  // OK
  EXPECT_FALSE(info.isVisible());
  EXPECT_TRUE(rig.Main().isEnabled());
  EXPECT_EQ(s.CalibrationData[0][5].MasterLevel, 4);
}

TEST(CalibrationInfo, SaveCancelledOrFailedKeepsTheNewCalibrationInUse) {
  struct Case {
    const char* name;
    bool cancel;
  };
  for (const Case c : {Case{"save dialog cancelled", true}, Case{"file cannot be written", false}}) {
    SCOPED_TRACE(c.name);
    CalRig rig;
    rig.NewCalibration();
    for (int page = 0; page < 22; ++page) {
      Drag(*rig.Wizard().MasterColumn, 3);
      rig.Wizard().Next->click();
    }
    const std::string bad = rig.Dir("fehlt/ordner/x.cal");
    rig.desktop.File = [&](const FileDialogRequest&) -> std::optional<FileChoice> {
      if (c.cancel) return std::nullopt;
      return FileChoice{QString::fromStdString(bad), 1};
    };
    const size_t before = rig.host.Messages.size();
    rig.Info().OKSave->click();
    EXPECT_TRUE(rig.State().CalibrationLoaded);
    EXPECT_EQ(rig.State().CalibrationData[1][11].MasterLevel, 3);
    EXPECT_EQ(rig.S().CalHeader.CalibrationDate, rig.S().NewCalibrationDate);
    if (c.cancel) {
      EXPECT_EQ(rig.host.Messages.size(), before);
      EXPECT_FALSE(rig.Info().isVisible());
      EXPECT_TRUE(rig.Main().isEnabled());
    } else {
      ASSERT_EQ(rig.host.Messages.size(), before + 1);
      EXPECT_EQ(rig.host.Messages.back().icon, MessageIcon::Error);
      EXPECT_TRUE(rig.Info().isVisible());
      EXPECT_FALSE(rig.Main().isEnabled());
      EXPECT_FALSE(std::filesystem::exists(bad));
    }
  }
}

TEST(CompatibilityTest, FieldsFrequencyAndEarInTheWindow) {
  CalRig rig;
  rig.Main().UpdateMenus();
  ASSERT_TRUE(rig.Main().TestCompatibility1->isEnabled());
  rig.Main().TestCompatibility1->trigger();
  TfrmCompatibilityTest& t = rig.Compat();
  ASSERT_TRUE(t.isVisible());
  EXPECT_EQ(t.windowTitle(), "Compatibility Test");
  EXPECT_FALSE(rig.Main().isEnabled());
  EXPECT_EQ(rig.host.Messages.front().text, CompatibilityWarningText);
  EXPECT_EQ(t.Label9->text().toStdString(), "Aktive Soundkarte: Sonavel Simulated Output Driver Version 1.0");
  EXPECT_EQ(t.Label8->text(), "125");
  // The wave slider starts at the card's level: 32750 / 655 from the top, value 50.
  EXPECT_EQ(t.WaveColumn->Slider->value(), 50);
  EXPECT_EQ(t.WaveColumn->Value->text(), QString::number(655 * 50));

  struct LevelCase {
    const char* typed;
    const char* shown;
  };
  for (const LevelCase lc : {LevelCase{"-75", "-60"}, LevelCase{"5", "0"}, LevelCase{"-30", "-30"}}) {
    t.Threshold->setText(lc.typed);
    emit t.Threshold->editingFinished();
    EXPECT_EQ(t.Threshold->text(), lc.shown) << lc.typed;
  }
  t.tbrFrequency->setValue(1);
  EXPECT_EQ(t.Label8->text(), "8000");
  t.rdoRightEar->setChecked(true);
  t.OnButton->click();
  EXPECT_EQ(t.OnButton->text(), "Aus");
  EXPECT_TRUE(t.shpLED->Green());
  EXPECT_FALSE(t.rdoLeftEar->isEnabled());
  EXPECT_EQ(rig.State().Run.LeftChannelGain, 0.0);
  EXPECT_EQ(rig.State().Run.RightChannelGain, 1.0);
  // A move of the frequency slider restarts the tone there; the tone stays on.
  t.tbrFrequency->setValue(5);
  EXPECT_EQ(t.Label8->text(), "2000");
  EXPECT_EQ(t.Rules().Frequency(), 2000);
  EXPECT_TRUE(t.Rules().TonePlaying());
  // Closing with the tone on; reopened: red, "Ein", ear buttons enabled, position kept.
  t.close();
  EXPECT_TRUE(rig.Main().isEnabled());
  EXPECT_FALSE(rig.S().Output.IsOpen());
  rig.Main().TestCompatibility1->trigger();
  EXPECT_EQ(t.OnButton->text(), "Ein");
  EXPECT_FALSE(t.shpLED->Green());
  EXPECT_TRUE(t.rdoLeftEar->isEnabled());
  EXPECT_EQ(t.Label8->text(), "2000");
  EXPECT_TRUE(t.rdoRightEar->isChecked());
  t.close();
}

TEST(CompatibilityTest, ZeroStepsMessageOnEveryOpeningAndTheSliderSaysWhy) {
  CalRig rig(NoWaveStepsCard);
  for (int opening = 0; opening < 2; ++opening) {
    rig.host.Messages.clear();
    rig.Main().TestCompatibility1->trigger();
    bool shown = false;
    for (const auto& m : rig.host.Messages) shown |= m.text == ZeroWaveStepsText;
    EXPECT_TRUE(shown) << opening;
    EXPECT_EQ(rig.Compat().lblNotice->text(), NoStepsNotice);
    rig.Compat().close();
  }
}

// The two windows share the one tone output: opening the wizard while the compatibility test,
// opened from the question beside an enabled main window, plays its tone closes that window
// first, so that only the wizard's tone can play.
TEST(CalibrationWindows, OnlyOneToneAtATime) {
  CalRig rig;
  rig.host.QueueAnswer(ResultYes);
  rig.Main().EarCalibration1->trigger();
  TfrmCompatibilityTest& t = rig.Compat();
  t.OnButton->click();
  ASSERT_TRUE(t.Rules().TonePlaying());
  ASSERT_TRUE(rig.Main().isEnabled());
  rig.NewCalibration();
  EXPECT_FALSE(t.isVisible());
  EXPECT_FALSE(t.Rules().TonePlaying());
  EXPECT_FALSE(rig.Main().isEnabled());
  rig.Wizard().OnButton->click();
  EXPECT_TRUE(rig.Wizard().Rules().TonePlaying());
  rig.Wizard().close();
  EXPECT_FALSE(rig.S().Output.IsOpen());
  EXPECT_TRUE(rig.Main().isEnabled());
}

TEST(CalibrationMenu, ItemsFollowTheCalibrationInUse) {
  CalRig rig;
  TfrmMain& w = rig.Main();
  w.UpdateMenus();
  EXPECT_TRUE(w.EarCalibration1->isEnabled());
  EXPECT_TRUE(w.TestCompatibility1->isEnabled());
  EXPECT_FALSE(w.CheckorRecalibratebyEar1->isEnabled());
  EXPECT_FALSE(w.CalInfo1->isEnabled());
  EXPECT_EQ(w.EarCalibration1->shortcut(), QKeySequence(Qt::Key_F3));
  EXPECT_EQ(w.CheckorRecalibratebyEar1->shortcut(), QKeySequence(Qt::Key_F4));
  EXPECT_EQ(w.CalInfo1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_I));
  // Ctrl+I does nothing without a calibration.
  w.CalInfo1->trigger();
  EXPECT_FALSE(rig.Info().isVisible());
  const std::string file = rig.Dir("k.cal");
  WriteCal(file, CalibrationHeader{}, CalibrationTable{});
  rig.desktop.File = [&](const FileDialogRequest&) -> std::optional<FileChoice> {
    return FileChoice{QString::fromStdString(file), 1};
  };
  w.LoadCalibration1Click();
  EXPECT_TRUE(w.CheckorRecalibratebyEar1->isEnabled());
  EXPECT_TRUE(w.CalInfo1->isEnabled());
}

// The level chain through the windows: a simulated person calibrates by ear in the wizard window
// on a card that gives 20 dB more than the test's scale (typing his thresholds, starting the
// tone, dragging the sliders to the lowest positions he hears, Weiter), OK takes it into use, and
// a New Test in the windows finds a listener's own thresholds with it.
TEST(CalibrationByEar, ACalibrationInTheWizardLeadsANewTestToTheListenersThresholds) {
  MainWindowRig rig(true, FullScaleMixerFixture);
  TfrmMain& w = *rig.window;
  w.FormCreate({});
  Session& s = w.GetSession();
  s.OpenMixerDevice(0);
  w.show();
  AppState& state = w.State();
  state.Settings.Trial = false;
  state.Settings.AutoRetest = false;
  state.Settings.WaveOutDevice = -1;

  ListenerSettings card;
  card.fullScaleHL = 90;
  const CalibratorThresholds known = {0, 0, 5, 0, -5, 0, 10, 5, 0, 10, 15};
  SimCalibrator calibrator(known, card, rig.host, rig.waveOut, rig.mixer, s.MixerAccess, rig.endpoint,
                           state.UseEndpointVolume);
  rig.host.QueueAnswer(ResultNo);   // no compatibility test first
  rig.host.QueueAnswer(ResultYes);  // a reference audiogram: his own
  w.EarCalibration1->trigger();
  TfrmBioCal& wiz = w.Calibration().BioCal();
  ASSERT_TRUE(wiz.isVisible());
  ASSERT_TRUE(wiz.Threshold->isVisible());
  for (int page = 0; page < 22; ++page) {
    SCOPED_TRACE(page);
    wiz.Threshold->clear();
    QTest::keyClicks(wiz.Threshold, QString::number(known[static_cast<size_t>(page % 11)]));
    wiz.OnButton->click();
    ASSERT_TRUE(wiz.Rules().TonePlaying());
    calibrator.FindThresholdPositions(
        wiz.WaveColumn->Slider->maximum(), wiz.MasterColumn->Slider->maximum(),
        [&](int32_t v) { Drag(*wiz.WaveColumn, v); }, [&](int32_t v) { Drag(*wiz.MasterColumn, v); });
    wiz.Next->click();
  }
  TfrmCalibrationInfo& info = w.Calibration().CalibrationInfo();
  ASSERT_TRUE(info.isVisible());
  rig.desktop.File = [](const FileDialogRequest&) -> std::optional<FileChoice> { return std::nullopt; };
  info.OKSave->click();  // in use, not saved
  ASSERT_TRUE(state.CalibrationLoaded);
  EXPECT_EQ(state.CalibrationData[0][1].LevelOffset, 0.0);

  ListenerSettings listener = card;
  listener.thresholds = {std::array<double, 11>{5, 10, 15, 20, 25, 30, 35, 40, 45, 50, 55},
                         std::array<double, 11>{0, 0, 10, 10, 20, 20, 30, 30, 40, 40, 50}};
  SimListener ear(listener, rig.host, rig.waveOut, rig.mixer, s.MixerAccess, rig.endpoint,
                  state.UseEndpointVolume, [&](bool pressed) {
                    QKeyEvent key(pressed ? QEvent::KeyPress : QEvent::KeyRelease, Qt::Key_Control,
                                  pressed ? Qt::ControlModifier : Qt::NoModifier);
                    QCoreApplication::sendEvent(&w.TestWindow(), &key);
                  });
  ear.Attach();
  w.NewTest1Click();
  ASSERT_TRUE(state.ResultsPresent);
  double errorSum = 0;
  int32_t measured = 0;
  for (int e = 0; e < 2; ++e)
    for (int slot = 0; slot < 11; ++slot) {
      if (!FrequencyCheck(state.Settings, slot + 1)) continue;
      const double error = state.CurrentAudiogram.Threshold[e][slot] - listener.thresholds[e][slot];
      EXPECT_LE(std::abs(error), 3) << e << "/" << slot;
      errorSum += error;
      ++measured;
    }
  EXPECT_LE(std::abs(errorSum / measured), 1.5);
}

// The calibration that the settings load at the start is in use before anyone opens a menu: F4 and
// Ctrl+I work as the first keys pressed.
TEST(CalibrationMenu, StartupCalibrationShortcutsWorkBeforeAnyMenuOpens) {
  CalRig rig;
  TfrmMain& w = rig.Main();
  const std::string file = rig.Dir("start.cal");
  WriteCal(file, CalibrationHeader{}, CalibrationTable{});
  rig.State().Settings.chkLoadCal = true;
  rig.State().Settings.CalFilename = file;
  w.LoadStartupCalibration();
  ASSERT_TRUE(rig.State().CalibrationLoaded);
  w.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));

  QTest::keyClick(&w, Qt::Key_I, Qt::ControlModifier);
  ASSERT_TRUE(rig.Info().isVisible());
  EXPECT_FALSE(rig.Info().AcceptMode());
  QTest::keyClick(&rig.Info(), Qt::Key_Return);
  ASSERT_FALSE(rig.Info().isVisible());

  w.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  rig.host.QueueAnswer(ResultNo);  // reference audiogram
  QTest::keyClick(&w, Qt::Key_F4);
  EXPECT_TRUE(rig.Wizard().isVisible());
  rig.Wizard().close();
}

}  // namespace
}  // namespace sonavel::apptest
