#include "platform/sim/sim_mixer.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <sstream>

#include "core/error.h"
#include "files/atomic_file.h"

namespace sonavel {

std::string SimulatedCardFixture(const SimulatedCard& card) {
  const auto volume = [](const char* indent, const char* name, const char* shortName, uint32_t steps,
                         uint32_t value) {
    return std::string(indent) + "control VOLUME \"" + name + "\" short \"" + shortName +
           "\" max 65535 steps " + std::to_string(steps) + " value " + std::to_string(value) + "\n";
  };
  std::string f = "# " + card.comment + "\ndevice \"" + card.name + "\" version 1.0\n" +
                  "destination DST_SPEAKERS \"Master\" short \"Master\"\n" +
                  "  control VOLUME \"Master Volume\" short \"Master\" min 0 max 65535 steps " +
                  std::to_string(card.masterSteps) + " value " + std::to_string(card.masterValue) + "\n" +
                  "  control MUTE \"Master Mute\" short \"Mute\" max 1 uniform value 0\n";
  if (card.fullCard)
    f += "  control BASS \"Bass\" short \"Bass\" max 65535 steps 100 value 32767\n"
         "  control TREBLE \"Treble\" short \"Treble\" max 65535 steps 100 value 32767\n";
  f += "  source SRC_WAVEOUT \"PCM\" short \"PCM\"\n" +
       volume("    ", "PCM Volume", "PCM", card.pcmSteps, card.pcmValue) +
       "    control MUTE \"PCM Mute\" short \"Mute\" max 1 uniform value 0\n"
       "  source SRC_COMPACTDISC \"CD\" short \"CD\"\n" +
       volume("    ", "CD Volume", "CD", card.otherSteps, 0) +
       "    control MUTE \"CD Mute\" short \"Mute\" max 1 uniform value 0\n";
  if (card.fullCard)
    f += "  source SRC_LINE \"Line\" short \"Line\"\n" + volume("    ", "Line Volume", "Line", 32, 0) +
         "    control MUTE \"Line Mute\" short \"Mute\" max 1 uniform value 0\n"
         "  source SRC_MICROPHONE \"Mic\" short \"Mic\" channels 1\n" +
         volume("    ", "Mic Volume", "Mic", 32, 0) +
         "    control MUTE \"Mic Mute\" short \"Mute\" max 1 value 0\n"
         "destination DST_WAVEIN \"Capture\" short \"Capture\"\n" +
         volume("  ", "Capture Volume", "Capture", 64, 32767) +
         "  source SRC_MICROPHONE \"Mic\" short \"Mic\" channels 1\n" +
         volume("    ", "Mic Capture Volume", "Mic", 32, 0) +
         "    control ONOFF \"Mic Capture Switch\" short \"Mic\" max 1 value 1\n";
  return f;
}

const std::string DefaultMixerFixture = SimulatedCardFixture(
    {"The simulated sound card.", "Sonavel Simulated Mixer", 100, 52428, 100, 52428, 32, true});

namespace {

struct Tokenizer {
  std::vector<std::string> words;
  std::vector<bool> quoted;
};

Tokenizer Split(const std::string& line, size_t lineNo) {
  Tokenizer t;
  size_t i = 0;
  while (i < line.size()) {
    if (line[i] == ' ' || line[i] == '\t' || line[i] == '\r') {
      ++i;
      continue;
    }
    if (line[i] == '"') {
      const size_t end = line.find('"', i + 1);
      if (end == std::string::npos)
        throw SonavelError("Mixer-Fixture, Zeile " + std::to_string(lineNo) + ": Anführungszeichen fehlt");
      t.words.push_back(line.substr(i + 1, end - i - 1));
      t.quoted.push_back(true);
      i = end + 1;
      continue;
    }
    size_t end = i;
    while (end < line.size() && line[end] != ' ' && line[end] != '\t' && line[end] != '\r') ++end;
    t.words.push_back(line.substr(i, end - i));
    t.quoted.push_back(false);
    i = end;
  }
  return t;
}

class Parser {
 public:
  Parser(const Tokenizer& t, size_t lineNo) : t_(t), lineNo_(lineNo) {}

  [[noreturn]] void Fail(const std::string& what) const {
    throw SonavelError("Mixer-Fixture, Zeile " + std::to_string(lineNo_) + ": " + what);
  }
  bool AtEnd() const { return pos_ >= t_.words.size(); }
  std::string Word() {
    if (AtEnd()) Fail("unerwartetes Zeilenende");
    return t_.words[pos_++];
  }
  std::string Text() {
    if (AtEnd() || !t_.quoted[pos_]) Fail("Text in Anführungszeichen erwartet");
    return t_.words[pos_++];
  }
  int64_t Number(int64_t lo, int64_t hi) {
    const std::string w = Word();
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(w.c_str(), &end, 0);
    if (w.empty() || *end != '\0' || errno == ERANGE || v < lo || v > hi)
      Fail("Zahl erwartet: \"" + w + "\"");
    return v;
  }
  uint32_t Unsigned() { return static_cast<uint32_t>(Number(0, std::numeric_limits<uint32_t>::max())); }
  // Bounds may be given signed or as their unsigned bit pattern.
  int32_t Bound() {
    return static_cast<int32_t>(static_cast<uint32_t>(
        Number(std::numeric_limits<int32_t>::min(), std::numeric_limits<uint32_t>::max())));
  }
  uint32_t Type(bool line) {
    const std::string w = Word();
    if (!w.empty() && (std::isdigit(static_cast<unsigned char>(w[0])))) {
      --pos_;
      return Unsigned();
    }
    if (line) {
      for (uint32_t c = 0; c <= 0x100A; c = (c == 8 ? 0x1000 : c + 1))
        if (ComponentTypeName(c) == w) return c;
      Fail("unbekannter Leitungstyp \"" + w + "\"");
    }
    for (uint32_t type :
         {CT_CUSTOM, CT_BOOLEANMETER,   CT_SIGNEDMETER, CT_PEAKMETER, CT_UNSIGNEDMETER, CT_BOOLEAN,
          CT_ONOFF,  CT_MUTE,           CT_MONO,        CT_LOUDNESS,  CT_BUTTON,        CT_DECIBELS,
          CT_SIGNED, CT_UNSIGNED,       CT_PERCENT,     CT_SLIDER,    CT_PAN,           CT_QSOUNDPAN,
          CT_FADER,  CT_VOLUME,         CT_BASS,        CT_TREBLE,    CT_EQUALIZER,     CT_SINGLESELECT,
          CT_MUX,    CT_MULTIPLESELECT, CT_MIXER,       CT_MICROTIME, CT_MILLITIME})
      if (ControlTypeName(type) == w) return type;
    Fail("unbekannter Reglertyp \"" + w + "\"");
  }

 private:
  const Tokenizer& t_;
  size_t lineNo_;
  size_t pos_ = 0;
};

void ParseLine(Parser& p, MixerTopologyLine& line) {
  line.info.ComponentType = p.Type(true);
  line.info.Name = p.Text();
  line.info.ShortName = line.info.Name.substr(0, 16);
  line.info.Channels = 2;
  line.info.Flags = MIXERLINE_LINEF_ACTIVE;
  while (!p.AtEnd()) {
    const std::string key = p.Word();
    if (key == "short")
      line.info.ShortName = p.Text();
    else if (key == "channels")
      line.info.Channels = static_cast<uint32_t>(p.Number(1, 8));
    else if (key == "id")
      line.info.LineID = p.Unsigned();
    else if (key == "flags")
      line.info.Flags = p.Unsigned();
    else if (key == "controlsfail")
      line.controlsFail = true;
    else
      p.Fail("unbekanntes Wort \"" + key + "\"");
  }
}

void ParseControl(Parser& p, MixerTopologyControl& c) {
  c.info.ControlType = p.Type(false);
  c.info.Name = p.Text();
  c.info.ShortName = c.info.Name.substr(0, 16);
  while (!p.AtEnd()) {
    const std::string key = p.Word();
    if (key == "short")
      c.info.ShortName = p.Text();
    else if (key == "id")
      c.info.ControlID = p.Unsigned();
    else if (key == "min")
      c.info.Minimum = p.Bound();
    else if (key == "max")
      c.info.Maximum = p.Bound();
    else if (key == "steps")
      c.info.Steps = p.Unsigned();
    else if (key == "items")
      c.info.MultipleItems = static_cast<uint32_t>(p.Number(0, 64));
    else if (key == "flags")
      c.info.Flags = p.Unsigned();
    else if (key == "uniform")
      c.info.Flags |= MIXERCONTROL_CONTROLF_UNIFORM;
    else if (key == "disabled")
      c.info.Flags |= MIXERCONTROL_CONTROLF_DISABLED;
    else if (key == "multiple")
      c.info.Flags |= MIXERCONTROL_CONTROLF_MULTIPLE;
    else if (key == "value") {
      while (!p.AtEnd()) c.values.push_back(p.Bound());
    } else {
      p.Fail("unbekanntes Wort \"" + key + "\"");
    }
  }
}

}  // namespace

std::vector<MixerTopology> ParseMixerFixture(const std::string& text) {
  std::vector<MixerTopology> devices;
  std::istringstream in(text);
  std::string raw;
  size_t lineNo = 0;
  MixerTopologyLine* currentLine = nullptr;
  while (std::getline(in, raw)) {
    ++lineNo;
    const Tokenizer t = Split(raw, lineNo);
    if (t.words.empty() || (!t.quoted[0] && t.words[0][0] == '#')) continue;
    Parser p(t, lineNo);
    const std::string keyword = p.Word();
    if (keyword == "device") {
      MixerTopology& d = devices.emplace_back();
      d.caps.Name = p.Text();
      currentLine = nullptr;
      while (!p.AtEnd()) {
        const std::string key = p.Word();
        if (key == "version") {
          const std::string v = p.Word();
          unsigned major = 0, minor = 0;
          char dot = 0, rest = 0;
          if (std::sscanf(v.c_str(), "%u%c%u%c", &major, &dot, &minor, &rest) != 3 || dot != '.' ||
              major > 255 || minor > 255)
            p.Fail("Version MAJOR.MINOR erwartet: \"" + v + "\"");
          d.caps.DriverVersion = (major << 8) | minor;
        } else if (key == "capsfail") {
          d.capsFail = true;
        } else if (key == "openfail") {
          d.openFail = true;
        } else {
          p.Fail("unbekanntes Wort \"" + key + "\"");
        }
      }
    } else if (keyword == "destination") {
      if (devices.empty()) p.Fail("destination ohne device");
      auto& dest = devices.back().destinations.emplace_back();
      ParseLine(p, dest.line);
      currentLine = &dest.line;
    } else if (keyword == "source") {
      if (devices.empty() || devices.back().destinations.empty()) p.Fail("source ohne destination");
      auto& src = devices.back().destinations.back().sources.emplace_back();
      ParseLine(p, src);
      currentLine = &src;
    } else if (keyword == "control") {
      if (!currentLine) p.Fail("control ohne Leitung");
      ParseControl(p, currentLine->controls.emplace_back());
    } else {
      p.Fail("unbekannte Anweisung \"" + keyword + "\"");
    }
  }
  for (auto& d : devices) d.Finish();
  return devices;
}

std::vector<MixerTopology> LoadMixerFixture(const std::string& path) {
  return ParseMixerFixture(ReadWholeFile(path, 1 << 20));
}

// ---------------------------------------------------------------------------------------------

SimMixer::SimMixer(std::vector<MixerTopology> devices) { devices_ = std::move(devices); }

uint32_t SimMixer::GetControlDetails(MixerHandle handle, MixerControlDetails& details) {
  ++GetCount;
  return TopologyMixerDriver::GetControlDetails(handle, details);
}

uint32_t SimMixer::SetControlDetails(MixerHandle handle, const MixerControlDetails& details) {
  SetCall call{0, details.dwControlID, details.cChannels, details.cMultipleItems, {}};
  if (details.paDetails)
    call.items.assign(details.paDetails, details.paDetails + std::min(details.ItemCount(), details.capacity));
  const uint32_t r = TopologyMixerDriver::SetControlDetails(handle, details);
  for (uint32_t d = 0; d < devices_.size(); ++d)
    if (devices_[d].FindControl(details.dwControlID)) call.device = d;
  Sets.push_back(std::move(call));
  return r;
}

std::vector<int32_t> SimMixer::Values(uint32_t device, uint32_t controlID) const {
  if (device >= devices_.size()) return {};
  const MixerTopologyControl* c = devices_[device].FindControl(controlID);
  return c ? c->values : std::vector<int32_t>{};
}

uint32_t SimMixer::FindControlID(uint32_t device, uint32_t componentType, uint32_t controlType) const {
  if (device >= devices_.size()) return 0;
  auto find = [&](const MixerTopologyLine& l) -> uint32_t {
    if (l.info.ComponentType != componentType) return 0;
    for (const auto& c : l.controls)
      if (c.info.ControlType == controlType) return c.info.ControlID;
    return 0;
  };
  for (const auto& d : devices_[device].destinations) {
    if (const uint32_t id = find(d.line)) return id;
    for (const auto& s : d.sources)
      if (const uint32_t id = find(s)) return id;
  }
  return 0;
}

}  // namespace sonavel
