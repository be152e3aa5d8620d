#include "audio/output_watch.h"

#include <algorithm>

#include "core/rounding.h"

namespace sonavel {

namespace {

std::string Quoted(const std::string& text) { return "„" + text + "“"; }

bool AllEqual(const std::vector<double>& v) {
  return std::all_of(v.begin(), v.end(), [&](double x) { return x == v.front(); });
}

std::string PercentOf(double volume, bool tenths) {
  if (!tenths) return std::to_string(RoundHalfEven(volume * 100)) + " %";
  const int64_t t = RoundHalfEven(volume * 1000);
  const int64_t whole = t / 10, tenth = t % 10 < 0 ? -(t % 10) : t % 10;
  return (t < 0 && whole == 0 ? "-" : "") + std::to_string(whole) + "," + std::to_string(tenth) + " %";
}

std::string Channels(const std::vector<double>& volume, bool tenths) {
  if (volume.empty()) return "?";
  if (AllEqual(volume)) return PercentOf(volume.front(), tenths);
  std::string text;
  for (double v : volume) text += (text.empty() ? "" : " / ") + PercentOf(v, tenths);
  return text;
}

std::string VolumeChange(const std::string& whose, const std::vector<double>& before,
                         const std::vector<double>& after) {
  return "Die Lautstärke " + whose + " wurde von " + VolumePercentText(before, after) + " auf " +
         VolumePercentText(after, before) + " geändert.";
}

std::string MuteChange(const std::string& whose, const std::string& subject, bool muted) {
  return muted ? subject + " wurde stummgeschaltet." : "Die Stummschaltung " + whose + " wurde aufgehoben.";
}

}  // namespace

std::string VolumePercentText(const std::vector<double>& volume, const std::vector<double>& other) {
  const std::string whole = Channels(volume, false);
  return volume != other && whole == Channels(other, false) ? Channels(volume, true) : whole;
}

std::string OutputChangeText(const std::string& description, const OutputLevels& before,
                             const OutputLevels& after) {
  const std::string whose = "des Ausgabegeräts " + Quoted(description);
  if (before.Muted != after.Muted)
    return MuteChange(whose, "Das Ausgabegerät " + Quoted(description), after.Muted);
  if (before.Volume != after.Volume) return VolumeChange(whose, before.Volume, after.Volume);
  if (before.Port != after.Port)
    return "Beim Ausgabegerät " + Quoted(description) + " wurde der Anschluss von " +
           Quoted(before.Port.empty() ? "keiner" : before.Port) + " auf " +
           Quoted(after.Port.empty() ? "keiner" : after.Port) + " gewechselt.";
  return "";
}

std::string StreamChangeText(const std::string& beforeOutput, const std::string& afterOutput,
                             const StreamLevels& before, const StreamLevels& after) {
  const std::string whose = "des Wiedergabestroms von Sonavel";
  if (before.Output != after.Output)
    return "Der Wiedergabestrom von Sonavel wurde vom Ausgabegerät " + Quoted(beforeOutput) + " auf " +
           Quoted(afterOutput) + " verlegt.";
  if (before.Muted != after.Muted) return MuteChange(whose, "Der Wiedergabestrom von Sonavel", after.Muted);
  if (before.Volume != after.Volume) return VolumeChange(whose, before.Volume, after.Volume);
  return "";
}

std::string DefaultOutputChangeText(const std::string& before, const std::string& after) {
  return "Die Standardausgabe des Audioservers wurde von " + Quoted(before) + " auf " + Quoted(after) +
         " umgestellt.";
}

std::string OutputGoneText(const std::string& description) {
  return "Das Ausgabegerät " + Quoted(description) + " ist nicht mehr vorhanden.";
}

std::string MutedOutputText(const std::string& description) {
  return "Das Ausgabegerät " + Quoted(description) +
         " ist stummgeschaltet; es wäre nichts zu hören. Bitte heben Sie die Stummschaltung auf und "
         "versuchen Sie es dann noch einmal.";
}

std::string BluetoothOutputText(const std::string& description) {
  return "Das Ausgabegerät " + Quoted(description) +
         " ist über Bluetooth verbunden. Bei Bluetooth sind Latenz und Pegel nicht reproduzierbar; "
         "Hörtest und Kalibrierung können damit falsche Werte ergeben. Verwenden Sie möglichst einen "
         "Kopfhörer mit Kabel.\n\nMit OK fahren Sie trotzdem fort.";
}

bool CheckOutputBeforePlaying(OutputWatch* watch, int32_t device, Host& host,
                              std::string* acceptedBluetooth) {
  if (!watch) return true;
  const std::optional<OutputInfo> output = watch->DescribeOutput(device);
  if (!output) return true;
  if (output->Muted) {
    host.MessageBox(MutedOutputText(output->Description), "", MessageIcon::Warning, ButtonOk);
    return false;
  }
  if (!output->Bluetooth) return true;
  if (acceptedBluetooth && *acceptedBluetooth == output->Description) return true;
  if (host.MessageBox(BluetoothOutputText(output->Description), "", MessageIcon::Warning,
                      ButtonOk | ButtonCancel) != ResultOk)
    return false;
  if (acceptedBluetooth) *acceptedBluetooth = output->Description;
  return true;
}

}  // namespace sonavel
