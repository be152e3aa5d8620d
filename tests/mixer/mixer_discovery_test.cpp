#include "mixer/mixer_discovery.h"

#include <gtest/gtest.h>

#include "mixer/mixer_test_support.h"

namespace sonavel {
namespace {

using test::OpenedMixer;

const TMixControl& Row(const MixerControls& c, const std::string& name) {
  for (const auto& row : c.Rows())
    if (name == row.name) return *row.control;
  throw std::out_of_range(name);
}

TEST(MixerDiscovery, TheWalksFillTheRegistryByLineAndControlType) {
  OpenedMixer m("mixer_card.txt");
  EXPECT_TRUE(m.host.Messages.empty());
  EXPECT_EQ(m.mixer.MixerDeviceCount, 5u);
  EXPECT_EQ(m.mixer.Caps.Name, "Test Card");
  EXPECT_EQ(m.mixer.Caps.Version, "5.10");
  EXPECT_EQ(m.mixer.Caps.NumLineDestns, 2u);
  EXPECT_EQ(m.mixer.Caps.NumLineDestnsStr, "2");

  struct Expect {
    const char* name;
    uint32_t ctrlID, lineID, channels;
    bool active, uniform;
    int32_t min, max;
    uint32_t steps, oneStep, items;
  };
  const Expect found[] = {
      {"MasterVolume", 0x10, 0xFFFF0000, 2, true, false, 0, 65535, 20, 3277, 0},
      {"OutputGain", 0x11, 0xFFFF0000, 2, true, false, 0, 1000, 10, 100, 0},
      {"SpeakerBass", 0x12, 0xFFFF0000, 2, true, false, 0, 65535, 16, 4096, 0},
      {"SpeakerTreble", 0x13, 0xFFFF0000, 2, true, false, 0, 65534, 16, 4096, 0},
      {"SpeakerMute", 0x14, 0xFFFF0000, 2, true, true, 0, 1, 0, 1, 0},
      {"SpeakerOnOff", 0x15, 0xFFFF0000, 2, true, false, 0, 1, 0, 1, 0},
      {"SpeakerPan", 0x16, 0xFFFF0000, 2, true, false, -10, 15, 10, 2, 0},
      {"WaveVolume", 0x20, 0x00000000, 2, true, true, 0, 65535, 100, 655, 0},
      {"WaveMute", 0x21, 0x00000000, 2, true, false, 0, 1, 0, 1, 0},
      {"WavePeak", 0x22, 0x00000000, 2, true, false, -32768, 32767, 0, 1, 0},
      {"MicMute", 0x30, 0x00010000, 1, true, false, 0, 1, 0, 1, 0},
      {"LineMute", 0x31, 0x00020000, 2, false, false, 0, 1, 0, 1, 0},
      {"CDMute", 0x32, 0x00030000, 2, true, false, 0, 1, 0, 1, 0},
      {"RecordSelect", 0x40, 0xFFFF0001, 2, true, true, 0, 0, 0, 1, 4},
      {"RecordGain", 0x41, 0xFFFF0001, 2, true, false, 0, 255, 255, 1, 0},
      {"RecordMicVolume", 0x43, 0x00010001, 1, true, false, 0, 65535, 32, 2048, 0},
      {"RecordMicOnOff", 0x44, 0x00010001, 1, true, false, 0, 1, 0, 1, 0},
  };
  for (const Expect& e : found) {
    const TMixControl& t = Row(m.c, e.name);
    EXPECT_TRUE(t.Exist) << e.name;
    EXPECT_EQ(t.CtrlID, e.ctrlID) << e.name;
    EXPECT_EQ(t.LineID, e.lineID) << e.name;
    EXPECT_EQ(t.Channels, e.channels) << e.name;
    EXPECT_EQ(t.Active, e.active) << e.name;
    EXPECT_EQ(t.Uniform, e.uniform) << e.name;
    EXPECT_EQ(t.Minvalue, e.min) << e.name;
    EXPECT_EQ(t.Maxvalue, e.max) << e.name;
    EXPECT_EQ(t.Steps, e.steps) << e.name;
    EXPECT_EQ(t.OneStep, e.oneStep) << e.name;
    EXPECT_EQ(t.MultiItems, e.items) << e.name;
  }
  // Everything else stays not found; the wave capture VOLUME of the recording side is not
  // WaveVolume (only sources of a speaker destination count) and fills no row.
  for (const auto& row : m.c.Rows()) {
    const bool expected = std::any_of(std::begin(found), std::end(found),
                                      [&](const Expect& e) { return std::string(e.name) == row.name; });
    EXPECT_EQ(row.control->Exist, expected) << row.name;
    if (row.control->Exist) {
      EXPECT_NE(row.control->CtrlID, 0x42u) << row.name;
    }
  }
}

TEST(MixerDiscovery, TheLaterSpeakerDestinationWins) {
  OpenedMixer m("mixer_card.txt", 1);
  EXPECT_EQ(m.c.MasterVolume.CtrlID, 0x200u);
  EXPECT_EQ(m.c.MasterVolume.Maxvalue, 1000);
  EXPECT_EQ(m.c.MasterVolume.LineID, 0xFFFF0001u);
  EXPECT_EQ(m.c.SpeakerBass.CtrlID, 0x101u);  // only the front has one
  EXPECT_FALSE(m.c.OutputGain.Exist);         // no gain control: the wizard hides its slider
}

TEST(MixerDiscovery, FailuresShowTheirBoxesAndLeaveNothingFound) {
  struct Case {
    uint32_t device;
    const char* text;
    const char* caption;
    const char* capsName;  // what the capabilities describe afterwards
    size_t listingLines;
  };
  const Case cases[] = {
      {5, "Invalid Device Number !", "Sound card driver problem", "Test Card", 0},
      {0xFFFFFFFFu, "Invalid Device Number !", "Sound card driver problem", "Test Card", 0},
      {3, "Mixer Opening Procedure failed ", "Sound card driver problem", "Closed Card", 3},
      {2, "Mixereigenschaften konnten nicht ermittelt werden ", "Soundkarten Treiber Problem", "", 0},
  };
  for (const Case& c : cases) {
    OpenedMixer m("mixer_card.txt");  // device 0 is open with its controls found
    m.Open(c.device);
    ASSERT_EQ(m.host.Messages.size(), 1u) << c.device;
    EXPECT_EQ(m.host.Messages[0].text, c.text);
    EXPECT_EQ(m.host.Messages[0].caption, c.caption);
    EXPECT_EQ(m.host.Messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(m.host.Messages[0].buttons, static_cast<uint32_t>(ButtonOk));
    EXPECT_EQ(m.mixer.Caps.Name, c.capsName);
    EXPECT_EQ(m.mixer.MixerListing.size(), c.listingLines);
    for (const auto& row : m.c.Rows()) EXPECT_FALSE(row.control->Exist) << row.name;
    // Later sets refuse without a driver call.
    EXPECT_TRUE(m.c.MasterVolume.SetLevel(100, 100));
    EXPECT_EQ(m.mixer.Session.MixerStatus, "Level control not supported by sound card driver!");
    EXPECT_EQ(m.driver.DetailCalls(), 0);
  }
}

TEST(MixerDiscovery, ALineWhoseControlQueryFailsBindsNothing) {
  OpenedMixer m("mixer_card.txt", 4);
  EXPECT_FALSE(m.c.MasterVolume.Exist);
  EXPECT_TRUE(m.c.WaveVolume.Exist);
  EXPECT_EQ(m.c.WaveVolume.CtrlID, 0x20u);
  // The listing has the capabilities and the wave line's one block.
  EXPECT_EQ(m.mixer.MixerListing.size(), 3u + 18u);
}

TEST(MixerDiscovery, OpeningTheNextDeviceClosesThePrevious) {
  OpenedMixer m("mixer_card.txt");
  EXPECT_EQ(m.driver.OpenHandles(), 1u);
  m.Open(1);
  EXPECT_EQ(m.driver.OpenHandles(), 1u);
  EXPECT_EQ(m.mixer.DeviceNumber, 1);
  EXPECT_FALSE(m.c.MasterVolume.SetLevel(500, 500));
  EXPECT_EQ(m.driver.Sets.back().device, 1u);
  m.Open(3);  // fails to open: nothing stays open
  EXPECT_EQ(m.driver.OpenHandles(), 0u);
}

TEST(MixerDiscovery, TheListingHasABlockPerControlOfEveryLine) {
  OpenedMixer m("mixer_listing.txt");
  const std::vector<std::string> expected = {
      "Listing Card",
      "4.2",
      "Mixerleitungen : 1",
      "+++ COMPONENTTYPE  DST_SPEAKERS  +++",
      "Line ID : FFFF0000 Hex",
      "Line Flag : 00000001 Hex",
      "Controls  : 1",
      "Connections : 2",
      "Control - Typ  =  VOLUME",
      "Ctrl ID : 0000001A Hex",
      "Kurzname = Master",
      "Name = Master Volume",
      "Unsigned Minvalue: 0",
      "Unsigned Maxvalue: 65535",
      "Signed Minvalue: 0",
      "Signed Maxvalue: 65535",
      " Steps: 100",
      "Anzahl Kanäle : 2",
      "Summenregler für beide Kanäle (Uniform)",
      "Regler pro Kanal (MultiItems) = 1 ",
      "Steuerelement Active",
      "-----------------------------------------------------------------------",
      "+++ COMPONENTTYPE  SRC_WAVEOUT  +++",
      "Line ID : 00000000 Hex",
      "Line Flag : 80000001 Hex",
      "Controls  : 1",
      "Connections : 0",
      "Control - Typ  =  ",
      "Ctrl ID : 0000BEEF Hex",
      "Kurzname = Odd",
      "Name = Odd Control",
      "Unsigned Minvalue: 4294967286",
      "Unsigned Maxvalue: 15",
      "Signed Minvalue: -10",
      "Signed Maxvalue: 15",
      " Steps: 10",
      "Anzahl Kanäle : 2",
      "Regler pro Kanal (MultiItems) = 3",
      "Steuerelement nicht Active ",
      "-----------------------------------------------------------------------",
  };
  EXPECT_EQ(m.mixer.MixerListing, expected);
}

TEST(MixerDiscovery, TypeNames) {
  const std::pair<uint32_t, const char*> components[] = {
      {0, "DST_UNDEFINED"},
      {4, "DST_SPEAKERS"},
      {7, "DST_WAVEIN"},
      {8, "DST_VOICEIN"},
      {9, ""},
      {0x1000, "SRC_UNDEFINED"},
      {0x1008, "SRC_WAVEOUT"},
      {0x100A, "SRC_ANALOG"},
      {0x100B, ""},
      {0xFFF, ""},
  };
  for (const auto& [code, name] : components) EXPECT_EQ(ComponentTypeName(code), name) << code;
  const std::pair<uint32_t, const char*> controls[] = {
      {0x00000000, "CUSTOM"},   {0x10020001, "PEAKMETER"}, {0x20010002, "MUTE"},   {0x21010000, "BUTTON"},
      {0x30030000, "UNSIGNED"}, {0x40020002, "QSOUNDPAN"}, {0x50030001, "VOLUME"}, {0x70010001, "MUX"},
      {0x71010001, "MIXER"},    {0x61030000, "MILLITIME"}, {0x20010005, ""},       {0x50030005, ""},
  };
  for (const auto& [code, name] : controls) EXPECT_EQ(ControlTypeName(code), name) << std::hex << code;
  EXPECT_EQ(DriverVersionText(0x050A), "5.10");
  EXPECT_EQ(DriverVersionText(0x12FF01), "255.1");
}

}  // namespace
}  // namespace sonavel
