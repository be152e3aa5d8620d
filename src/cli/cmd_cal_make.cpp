// sonavel-cli cal-make: a calibration file from the JSON that cal-info --json prints.
#include <cmath>
#include <limits>
#include <ostream>

#include "cli/cli_support.h"
#include "cli/json_reader.h"

namespace sonavel::cli {

namespace {

const char* const CalMakeHelp =
    "Usage: sonavel-cli cal-make JSON --out CAL\n\n"
    "Writes the calibration file CAL from JSON, an object of the shape that cal-info --json\n"
    "prints: the strings Person, Headphones, Soundcard, Comment, CalibrationDate and\n"
    "CalibrationTime, and \"entries\", two arrays (left, right) of 11 objects with the whole\n"
    "numbers WaveLevel, MasterLevel, GainLevel and the number LevelOffset (or \"NaN\",\n"
    "\"Infinity\", \"-Infinity\"). Every member must be there and no other; texts are stored in\n"
    "Windows-1252, cut to 255 characters.\n\n"
    "  --out CAL  the calibration file to write (replaced whole, or not at all)\n";

const JsonValue& Member(const JsonValue& object, const std::string& name, const std::string& where) {
  const JsonValue* v = object.Find(name);
  if (v == nullptr) throw UsageError(where + ": member \"" + name + "\" is missing");
  return *v;
}

void OnlyMembers(const JsonValue& object, std::initializer_list<const char*> names,
                 const std::string& where) {
  if (object.kind != JsonValue::Kind::Object) throw UsageError(where + " must be an object");
  for (const auto& [key, value] : object.members) {
    bool known = false;
    for (const char* n : names) known |= key == n;
    if (!known) throw UsageError(where + ": unknown member \"" + key + "\"");
  }
}

std::string Text(const JsonValue& object, const char* name) {
  const JsonValue& v = Member(object, name, "the object");
  if (v.kind != JsonValue::Kind::String) throw UsageError(std::string(name) + " must be a string");
  return v.text;
}

int32_t WholeNumber(const JsonValue& object, const char* name, const std::string& where) {
  const JsonValue& v = Member(object, name, where);
  if (v.kind != JsonValue::Kind::Number || !v.integral || v.integer < std::numeric_limits<int32_t>::min() ||
      v.integer > std::numeric_limits<int32_t>::max())
    throw UsageError(where + ": " + name + " must be a whole number of 32 bits");
  return static_cast<int32_t>(v.integer);
}

double Offset(const JsonValue& object, const std::string& where) {
  const JsonValue& v = Member(object, "LevelOffset", where);
  if (v.kind == JsonValue::Kind::Number) return v.number;
  if (v.kind == JsonValue::Kind::String) {
    if (v.text == "NaN") return std::numeric_limits<double>::quiet_NaN();
    if (v.text == "Infinity") return std::numeric_limits<double>::infinity();
    if (v.text == "-Infinity") return -std::numeric_limits<double>::infinity();
  }
  throw UsageError(where + ": LevelOffset must be a number");
}

int RunCalMake(const std::vector<std::string>& args, Io& io) {
  const Options opts(args, {"out"}, {});
  opts.ExpectPositionals(1, "JSON file");
  const std::string out = opts.Required("out");
  const std::string& in = opts.Positionals()[0];
  const JsonValue root = ParseJson(ReadWholeFile(in, 1u << 20));

  OnlyMembers(
      root, {"Person", "Headphones", "Soundcard", "Comment", "CalibrationDate", "CalibrationTime", "entries"},
      "the JSON value");
  CalibrationHeader h;
  h.Person = Text(root, "Person");
  h.Headphones = Text(root, "Headphones");
  h.Soundcard = Text(root, "Soundcard");
  h.Comment = Text(root, "Comment");
  h.CalibrationDate = Text(root, "CalibrationDate");
  h.CalibrationTime = Text(root, "CalibrationTime");

  const JsonValue& entries = Member(root, "entries", "the object");
  if (entries.kind != JsonValue::Kind::Array || entries.items.size() != 2)
    throw UsageError("entries must be an array of two arrays (left, right)");
  CalibrationTable table{};
  for (int32_t e = 0; e < EarCount; ++e) {
    const JsonValue& ear = entries.items[e];
    if (ear.kind != JsonValue::Kind::Array || ear.items.size() != 11)
      throw UsageError("entries[" + std::to_string(e) + "] must be an array of 11 objects");
    for (int32_t k = 0; k < 11; ++k) {
      const std::string where = "entries[" + std::to_string(e) + "][" + std::to_string(k) + "]";
      const JsonValue& item = ear.items[k];
      OnlyMembers(item, {"WaveLevel", "MasterLevel", "GainLevel", "LevelOffset"}, where);
      CalibrationEntry& c = table[e][k + 1];
      c.WaveLevel = WholeNumber(item, "WaveLevel", where);
      c.MasterLevel = WholeNumber(item, "MasterLevel", where);
      c.GainLevel = WholeNumber(item, "GainLevel", where);
      c.LevelOffset = Offset(item, where);
    }
  }
  WriteOutput([&] { WriteCal(out, h, table); });
  io.out << "wrote " << out << "\n";
  return ExitOk;
}

const CommandRegistration Registration{
    {"cal-make", "write a calibration file from the JSON of cal-info --json", CalMakeHelp, RunCalMake}};

}  // namespace

}  // namespace sonavel::cli
