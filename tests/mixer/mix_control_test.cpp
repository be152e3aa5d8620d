#include "mixer/mix_control.h"

#include <gtest/gtest.h>

#include "mixer/mixer_test_support.h"

namespace sonavel {
namespace {

using test::OpenedMixer;

TEST(MixControl, SetLevelClampsOnlyFromAboveAndSendsBothChannels) {
  OpenedMixer m("mixer_card.txt");
  struct Case {
    int32_t left, right;
    std::vector<int32_t> sent;
  };
  const Case cases[] = {
      {70000, 70000, {65535, 65535}},
      {-5, 100, {-5, 100}},  // no lower bound
      {65535, 65536, {65535, 65535}},
      {0, 39300, {0, 39300}},
  };
  for (const Case& c : cases) {
    m.driver.Sets.clear();
    EXPECT_FALSE(m.c.MasterVolume.SetLevel(c.left, c.right));
    ASSERT_EQ(m.driver.Sets.size(), 1u);
    EXPECT_EQ(m.driver.Sets[0].controlID, 0x10u);
    EXPECT_EQ(m.driver.Sets[0].channels, 2u);
    EXPECT_EQ(m.driver.Sets[0].items, c.sent) << c.left << " " << c.right;
    EXPECT_EQ(m.mixer.Session.MixerResult, 0u);
    EXPECT_EQ(m.mixer.Session.MixerStatus, "MixerControlDetails OK ");
  }
  int32_t l = 0, r = 0;
  EXPECT_FALSE(m.c.MasterVolume.GetLevel(l, r));
  EXPECT_EQ(l, 0);
  EXPECT_EQ(r, 39300);
}

TEST(MixControl, UniformControlSendsOneChannelAndReadsItForBoth) {
  OpenedMixer m("mixer_card.txt");
  ASSERT_TRUE(m.c.WaveVolume.Uniform);
  EXPECT_FALSE(m.c.WaveVolume.SetLevel(1234, 5678));
  ASSERT_EQ(m.driver.Sets.size(), 1u);
  EXPECT_EQ(m.driver.Sets[0].channels, 1u);
  EXPECT_EQ(m.driver.Sets[0].items, std::vector<int32_t>{1234});
  // The driver applies the one value to every channel of the line.
  EXPECT_EQ(m.driver.Values(0, 0x20), (std::vector<int32_t>{1234, 1234}));
  int32_t l = 0, r = 0;
  EXPECT_FALSE(m.c.WaveVolume.GetLevel(l, r));
  EXPECT_EQ(l, 1234);
  EXPECT_EQ(r, 1234);

  bool ls = false, rs = false;
  ASSERT_TRUE(m.c.SpeakerMute.Uniform);
  EXPECT_FALSE(m.c.SpeakerMute.SetSwitch(true, false));
  EXPECT_EQ(m.driver.Sets.back().items, std::vector<int32_t>{1});
  EXPECT_FALSE(m.c.SpeakerMute.GetSwitch(ls, rs));
  EXPECT_TRUE(ls);
  EXPECT_TRUE(rs);
}

TEST(MixControl, SwitchesSendOneAndZeroAndReadAnyNonZeroAsOn) {
  OpenedMixer m("mixer_card.txt");
  EXPECT_FALSE(m.c.SpeakerOnOff.SetSwitch(false, true));
  EXPECT_EQ(m.driver.Sets.back().items, (std::vector<int32_t>{0, 1}));
  // A driver may report any non-zero value for "on".
  TMixSwitchControl& onOff = m.c.SpeakerOnOff;
  onOff.SetSwitch(true, true);
  bool l = false, r = true;
  EXPECT_FALSE(onOff.GetSwitch(l, r));
  EXPECT_TRUE(l);
  EXPECT_TRUE(r);
}

// Every operation of every class refuses a control that was not found or is disabled, with its
// own texts, without a driver call and without touching the out-arguments.
TEST(MixControl, RefusalsHaveTheirTextsAndMakeNoDriverCall) {
  struct Case {
    const char* operation;
    bool (*call)(MixerControls&, bool exist, bool active);
    const char* notSupported;
    const char* inactive;
  };
  static int32_t outL, outR;
  static bool outSL, outSR;
  static uint32_t out8[8];
  const Case cases[] = {
      {"Unsigned.SetLevel",
       [](MixerControls& c, bool e, bool a) {
         c.MasterVolume.Exist = e, c.MasterVolume.Active = a;
         return c.MasterVolume.SetLevel(1, 2);
       },
       "Level control not supported by sound card driver!", "Control inactive!"},
      {"Unsigned.GetLevel",
       [](MixerControls& c, bool e, bool a) {
         c.MasterVolume.Exist = e, c.MasterVolume.Active = a;
         return c.MasterVolume.GetLevel(outL, outR);
       },
       "Level control not supported by sound card driver!", "Regler ist nicht Activeiert"},
      {"Signed.SetLevel",
       [](MixerControls& c, bool e, bool a) {
         c.SpeakerPan.Exist = e, c.SpeakerPan.Active = a;
         return c.SpeakerPan.SetLevel(1, 2);
       },
       "Slider control not supported by sound card driver!", "Control inactive!"},
      {"Signed.GetLevel",
       [](MixerControls& c, bool e, bool a) {
         c.SpeakerPan.Exist = e, c.SpeakerPan.Active = a;
         return c.SpeakerPan.GetLevel(outL, outR);
       },
       "Slider control not supported by sound card driver!", "Control inactive!"},
      {"Switch.SetSwitch",
       [](MixerControls& c, bool e, bool a) {
         c.SpeakerMute.Exist = e, c.SpeakerMute.Active = a;
         return c.SpeakerMute.SetSwitch(true, true);
       },
       "Switch not supported by Sound card driver!", "Control is inactive!"},
      {"Switch.GetSwitch",
       [](MixerControls& c, bool e, bool a) {
         c.SpeakerMute.Exist = e, c.SpeakerMute.Active = a;
         return c.SpeakerMute.GetSwitch(outSL, outSR);
       },
       "Switch not supported by sound card driver!", "Control inactive!"},
      {"SrcSelect.SetSrcSelect",
       [](MixerControls& c, bool e, bool a) {
         c.RecordSelect.Exist = e, c.RecordSelect.Active = a;
         return c.RecordSelect.SetSrcSelect(1, 0, 0, 0, 1, 0, 0, 0);
       },
       "Switch not supported by sound card driver!", "Control inactive"},
      {"SrcSelect.GetSrcSelect",
       [](MixerControls& c, bool e, bool a) {
         c.RecordSelect.Exist = e, c.RecordSelect.Active = a;
         return c.RecordSelect.GetSrcSelect(out8[0], out8[1], out8[2], out8[3], out8[4], out8[5], out8[6],
                                            out8[7]);
       },
       "Switch not suppoted by sound card driver!", "Control not activated!"},
  };
  for (const Case& c : cases) {
    for (const bool exist : {false, true}) {
      OpenedMixer m("mixer_card.txt");
      outL = outR = -7;
      outSL = outSR = true;
      std::fill(std::begin(out8), std::end(out8), 77u);
      const uint32_t resultBefore = m.mixer.Session.MixerResult = 1234;
      EXPECT_TRUE(c.call(m.c, exist, false)) << c.operation;
      EXPECT_EQ(m.mixer.Session.MixerStatus, exist ? c.inactive : c.notSupported) << c.operation;
      EXPECT_EQ(m.mixer.Session.MixerResult, resultBefore) << c.operation;
      EXPECT_EQ(m.driver.DetailCalls(), 0) << c.operation;
      EXPECT_EQ(outL, -7);
      EXPECT_EQ(outR, -7);
      EXPECT_TRUE(outSL && outSR);
      EXPECT_EQ(out8[0], 77u);
    }
  }
}

TEST(MixControl, ResultCodesHaveTheirTexts) {
  const std::pair<uint32_t, const char*> cases[] = {
      {0, "MixerControlDetails OK "},
      {2, "MixerControlDetails  BADDEVICEID !"},
      {5, "MixerControlDetails INVALHANDLE"},
      {6, "MixerControlDetails NODRIVER"},
      {10, "MixerControlDetails INVALFLAG"},
      {11, "MixerControlDetails INVALPARAM"},
      {1024, "MixerControlDetails INVALLINE"},
      {1025, "MixerControlDetails INVALCONTROL"},
      {1, "MixerControlDetails unbekannter Rückgabecode"},
      {1026, "MixerControlDetails unbekannter Rückgabecode"},
  };
  for (const auto& [code, text] : cases) EXPECT_EQ(MixerResultText(code), text) << code;
}

TEST(MixControl, ADriverFailureIsReportedAndLeavesTheOutArgumentsAlone) {
  OpenedMixer m("mixer_card.txt");
  m.c.MasterVolume.CtrlID = 0x999;  // a control the device does not have
  EXPECT_TRUE(m.c.MasterVolume.SetLevel(1, 1));
  EXPECT_EQ(m.mixer.Session.MixerResult, 1025u);
  EXPECT_EQ(m.mixer.Session.MixerStatus, "MixerControlDetails INVALCONTROL");
  int32_t l = -1, r = -1;
  EXPECT_TRUE(m.c.MasterVolume.GetLevel(l, r));
  EXPECT_EQ(l, -1);
  EXPECT_EQ(r, -1);
  // A success afterwards resets the status.
  m.c.MasterVolume.CtrlID = 0x10;
  EXPECT_FALSE(m.c.MasterVolume.GetLevel(l, r));
  EXPECT_EQ(m.mixer.Session.MixerStatus, "MixerControlDetails OK ");
}

TEST(MixControl, SourceSelectionExchangesItsEightItemsAndRefusesWiderControls) {
  OpenedMixer m("mixer_card.txt");
  TMixSrcSelectControl& sel = m.c.RecordSelect;
  ASSERT_TRUE(sel.Exist);
  ASSERT_EQ(sel.MultiItems, 4u);
  sel.Uniform = false;  // two channels of four items: exactly the table
  EXPECT_FALSE(sel.SetSrcSelect(1, 2, 3, 4, 5, 6, 7, 8));
  EXPECT_EQ(m.driver.Sets.back().items, (std::vector<int32_t>{1, 2, 3, 4, 5, 6, 7, 8}));
  uint32_t v[8] = {};
  EXPECT_FALSE(sel.GetSrcSelect(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]));
  EXPECT_EQ(std::vector<uint32_t>(v, v + 8), (std::vector<uint32_t>{1, 2, 3, 4, 5, 6, 7, 8}));

  // More items than the table holds never reach the driver.
  const int32_t calls = m.driver.DetailCalls();
  sel.MultiItems = 5;
  EXPECT_TRUE(sel.SetSrcSelect(1, 1, 1, 1, 1, 1, 1, 1));
  EXPECT_EQ(m.mixer.Session.MixerResult, 11u);
  EXPECT_EQ(m.mixer.Session.MixerStatus, "MixerControlDetails INVALPARAM");
  EXPECT_EQ(m.driver.DetailCalls(), calls);
  // The same for a level control on a line with more than two channels.
  m.c.MasterVolume.Channels = 6;
  EXPECT_TRUE(m.c.MasterVolume.SetLevel(1, 1));
  EXPECT_EQ(m.driver.DetailCalls(), calls);
}

TEST(MixControl, StepArithmetic) {
  struct Case {
    int32_t min, max;
    uint32_t steps;
    uint32_t oneStep;
    int32_t size;
  };
  const Case cases[] = {
      {0, 65535, 20, 3277, 3276},  // 3276.75 rounds up; the division truncates
      {-10, 15, 10, 2, 1},         // 2.5 rounds to even
      {0, 65535, 100, 655, 655},   // 655.35
      {0, 65535, 0, 1, 0},         // no steps: a step of 1, levels 0
      {-32768, 32767, 65535, 1, 0}, {0, 1000, 10, 100, 100},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(OneStepOf(c.min, c.max, c.steps), c.oneStep) << c.min << ".." << c.max << "/" << c.steps;
    EXPECT_EQ(StepSize(c.max, c.steps), c.size) << c.max << "/" << c.steps;
  }
  EXPECT_EQ(StepLevel(65535, 20, 1), 3276);
  EXPECT_EQ(StepLevel(65535, 20, 20), 65520);
  EXPECT_EQ(StepLevel(65535, 100, 60), 39300);
  EXPECT_EQ(StepLevel(65535, 0, 60), 0);  // a control with 0 steps cannot fault
  EXPECT_EQ(StepLevel(65535, 100, -3), -1965);
  // The product is taken in 32 bits.
  EXPECT_EQ(StepLevel(65535, 1, 65537), static_cast<int32_t>(65535u * 65537u));
}

}  // namespace
}  // namespace sonavel
