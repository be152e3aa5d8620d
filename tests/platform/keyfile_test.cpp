#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "cli/cli_test_support.h"
#include "core/error.h"
#include "platform/keyfile/key_file.h"
#include "test_data.h"

namespace sonavel {
namespace {

using test::DataBytes;
using test::DataPath;
using test::ReadBytes;
using test::TempDir;
using V = RegistryValueType;

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

constexpr const char* Head =
    "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brantel\\Sonavel]\n";

TEST(KeyFileDocument, ReadsTheExportsOfEveryEncoding) {
  struct Case {
    const char* file;
    KeyFileDocument::Encoding encoding;
    RegistryValue calFilename;
  };
  const Case cases[] = {
      {"reg/full_utf8.reg",
       KeyFileDocument::Encoding::Utf8,
       {V::String, 0, "/home/anna/Kalibrierung Müller.cal"}},
      {"reg/windows_utf16.reg",
       KeyFileDocument::Encoding::Utf16Le,
       {V::ExpandString, 0, "%USERPROFILE%\\Kalibrierung Müller.cal"}},
      {"reg/regedit4_ansi.reg",
       KeyFileDocument::Encoding::Ansi,
       {V::ExpandString, 0, "C:\\Kalibrierung\\Müller.cal"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const auto doc = KeyFileDocument::Parse(DataBytes(c.file));
    EXPECT_EQ(doc.FileEncoding(), c.encoding);
    ASSERT_TRUE(doc.HasKey());
    EXPECT_EQ(doc.Value("Cal Filename"), c.calFilename);
    EXPECT_EQ(doc.Value("Pulse Duration(s)"), (RegistryValue{V::String, 0, "0,5"}));
    EXPECT_EQ(doc.Value("Colour Application Background"), (RegistryValue{V::Dword, 0xFF000005u, ""}));
    // Names compare without regard to case (the Windows export spells them in capitals).
    EXPECT_EQ(doc.Value("test 125hz"), (RegistryValue{V::Dword, 1, ""}));
    EXPECT_EQ(doc.Value("FirstRun"), (RegistryValue{V::Dword, 0, ""}));
    EXPECT_FALSE(doc.Value("No Such Value"));
  }
  EXPECT_EQ(KeyFileDocument::Parse(DataBytes("reg/regedit4_ansi.reg")).Value("Bemerkung")->Text,
            "Hörtest für Müller");
}

TEST(KeyFileDocument, ReadsOnlyTheKeysOwnSectionAsTheRegistryWouldAfterImport) {
  const auto doc = KeyFileDocument::Parse(DataBytes("reg/full_utf8.reg"));
  EXPECT_FALSE(doc.Value("Keep"));  // another key's value

  const auto merged = KeyFileDocument::Parse(std::string(Head) +
                                             "\"A\"=dword:00000001\n\"B\"=\"x\"\n"
                                             "\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\n\"C\"=dword:00000003\n"
                                             "\n[hkey_local_machine\\software\\brantel\\sonavel]\n"
                                             "\"a\"=dword:00000002\n\"B\"=-\n");
  EXPECT_EQ(merged.Value("A"), (RegistryValue{V::Dword, 2, ""}));  // the last definition wins
  EXPECT_FALSE(merged.Value("B"));                                 // "-" deletes
  EXPECT_FALSE(merged.Value("C"));

  // The plain key is preferred to the redirected one; a file with neither holds no key.
  const auto both = KeyFileDocument::Parse(
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Brantel\\Sonavel]\n\"A\"=dword:00000001\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brantel\\Sonavel]\n\"A\"=dword:00000002\n");
  EXPECT_EQ(both.Value("A"), (RegistryValue{V::Dword, 2, ""}));
  EXPECT_FALSE(KeyFileDocument::Parse("Windows Registry Editor Version 5.00\n").HasKey());
  EXPECT_FALSE(KeyFileDocument::Parse("[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Brantel\\Sonavel]\n").HasKey());
}

TEST(KeyFileDocument, DataThatDoesNotParseIsOfAnotherType) {
  const struct {
    const char* line;
    RegistryValue expected;
  } cases[] = {
      {"\"X\"=dword:0000000a", {V::Dword, 10, ""}},
      {"\"X\"=dword:FFFFFFFF", {V::Dword, 0xFFFFFFFFu, ""}},
      {"\"X\"=hex(4):01,02,00,00", {V::Dword, 0x0201, ""}},
      {"\"X\"=hex(1):41,00,e4,00,00,00", {V::String, 0, "Aä"}},
      {"\"X\"=\"a \\\"quoted\\\" \\\\ text\"", {V::String, 0, "a \"quoted\" \\ text"}},
      {"\"X\"=\"\"", {V::String, 0, ""}},
      {"\"X\"=dword:123456789", {V::Other, 0, ""}},
      {"\"X\"=dword:12x4", {V::Other, 0, ""}},
      {"\"X\"=dword:", {V::Other, 0, ""}},
      {"\"X\"=\"unterminated", {V::Other, 0, ""}},
      {"\"X\"=\"text\" trailing", {V::Other, 0, ""}},
      {"\"X\"=hex:01,02", {V::Other, 0, ""}},
      {"\"X\"=hex(2):4,", {V::Other, 0, ""}},
      {"\"X\"=hex(4):01,02", {V::Other, 0, ""}},
      {"\"X\"=qword:1", {V::Other, 0, ""}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(KeyFileDocument::Parse(std::string(Head) + c.line + "\n").Value("X"), c.expected);
  }
}

TEST(KeyFileDocument, ARewriteChangesOnlyTheValueItSets) {
  for (const char* file : {"reg/full_utf8.reg", "reg/windows_utf16.reg", "reg/regedit4_ansi.reg"}) {
    SCOPED_TRACE(file);
    const std::string bytes = DataBytes(file);
    auto doc = KeyFileDocument::Parse(bytes);
    EXPECT_EQ(doc.Serialize(), bytes);  // untouched, the file comes back byte for byte

    doc.SetValue("trial run", {V::Dword, 1, ""});
    doc.SetValue("New Mark", {V::Dword, 1, ""});
    const auto again = KeyFileDocument::Parse(doc.Serialize());
    EXPECT_EQ(again.FileEncoding(), doc.FileEncoding());
    EXPECT_EQ(again.Value("Trial Run"), (RegistryValue{V::Dword, 1, ""}));
    EXPECT_EQ(again.Value("New Mark"), (RegistryValue{V::Dword, 1, ""}));
    EXPECT_EQ(again.Value("Cal Filename"), KeyFileDocument::Parse(bytes).Value("Cal Filename"));
    EXPECT_EQ(again.Value("Window Left"), KeyFileDocument::Parse(bytes).Value("Window Left"));
  }

  auto doc = KeyFileDocument::Parse(DataBytes("reg/full_utf8.reg"));
  doc.SetValue("TRIAL RUN", {V::Dword, 1, ""});
  doc.SetValue("New Mark", {V::String, 0, "ü"});
  const std::string text = doc.Serialize();
  // The existing spelling of the name stays; a new value goes at the end of the key's section.
  EXPECT_NE(text.find("\"Trial Run\"=dword:00000001\n"), std::string::npos);
  EXPECT_NE(
      text.find("\"Cal Filename\"=\"/home/anna/Kalibrierung Müller.cal\"\n\"New Mark\"=\"ü\"\n\n; a comment"),
      std::string::npos);
  EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brantel\\Other]\n\"Keep\"=\"me\""), std::string::npos);
  EXPECT_NE(text.find("\"Window Left\"=dword:0000002a"), std::string::npos);
}

TEST(KeyFileDocument, TextsThatAQuotedExportCannotHoldGoOutAsHex) {
  for (const char* file : {"reg/full_utf8.reg", "reg/regedit4_ansi.reg"}) {
    auto doc = KeyFileDocument::Parse(DataBytes(file));
    doc.SetValue("Comment", {V::String, 0, "two\r\nlines \"and\" ä"});
    EXPECT_EQ(KeyFileDocument::Parse(doc.Serialize()).Value("Comment"),
              (RegistryValue{V::String, 0, "two\r\nlines \"and\" ä"}));
  }
  // An ANSI file whose new text does not fit Windows-1252 becomes UTF-8 instead of losing it.
  auto ansi = KeyFileDocument::Parse(DataBytes("reg/regedit4_ansi.reg"));
  ansi.SetValue("Cal Filename", {V::String, 0, "/home/Ωmega.cal"});
  EXPECT_EQ(KeyFileDocument::Parse(ansi.Serialize()).Value("Cal Filename"),
            (RegistryValue{V::String, 0, "/home/Ωmega.cal"}));
}

TEST(KeyFileDocument, ANewValueIsNotSwallowedByADanglingContinuation) {
  auto doc = KeyFileDocument::Parse(std::string(Head) + "\"A\"=hex(2):41,00,\\");
  doc.SetValue("B", {V::Dword, 2, ""});
  const auto again = KeyFileDocument::Parse(doc.Serialize());
  EXPECT_EQ(again.Value("B"), (RegistryValue{V::Dword, 2, ""}));
  EXPECT_EQ(again.Value("A"), doc.Value("A"));
}

TEST(KeyFileStore, OpensAnExistingKeyOnlyAndFallsBackToTheAlternativePath) {
  TempDir dir;
  const std::string first = dir.File("first.reg");
  const std::string alternative = dir.File("alternative.reg");
  KeyFileStore store({first, alternative});
  EXPECT_EQ(store.OpenKey(KeyPaths::FirstElseAlternative), nullptr);
  EXPECT_FALSE(std::filesystem::exists(first));  // never created

  WriteBytes(alternative, std::string(Head) + "\"A\"=dword:00000002\n");
  EXPECT_EQ(store.OpenKey(KeyPaths::FirstOnly), nullptr);
  auto key = store.OpenKey(KeyPaths::FirstElseAlternative);
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->Value("A")->Number, 2u);

  WriteBytes(first, "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\n");
  EXPECT_EQ(store.OpenKey(KeyPaths::FirstOnly), nullptr);  // a file without the key holds no key
  WriteBytes(first, std::string(Head) + "\"A\"=dword:00000001\n");
  EXPECT_EQ(store.OpenKey(KeyPaths::FirstElseAlternative)->Value("A")->Number, 1u);
}

TEST(KeyFileStore, AKeyThatCannotBeWrittenDoesNotOpen) {
  if (geteuid() == 0) GTEST_SKIP() << "file permissions do not bind root";
  TempDir dir;
  const std::string path = dir.File("k.reg");
  WriteBytes(path, std::string(Head) + "\"A\"=dword:00000001\n");
  std::filesystem::permissions(path, std::filesystem::perms::owner_read);
  EXPECT_EQ(KeyFileStore({path, ""}).OpenKey(KeyPaths::FirstOnly), nullptr);
}

TEST(KeyFileStore, EveryWriteReplacesTheFileAndKeepsWhatOthersWroteMeanwhile) {
  TempDir dir;
  const std::string path = dir.File("k.reg");
  WriteBytes(path, std::string(Head) + "\"A\"=dword:00000001\n");
  std::filesystem::permissions(path,
                               std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                                   std::filesystem::perms::group_read | std::filesystem::perms::group_write);
  KeyFileStore store({path, ""});
  auto key = store.OpenKey(KeyPaths::FirstOnly);
  ASSERT_NE(key, nullptr);

  WriteBytes(path, std::string(Head) + "\"A\"=dword:00000001\n\"Other\"=\"program\"\n");
  key->WriteString("B", "neu");
  EXPECT_EQ(ReadBytes(path),
            std::string(Head) + "\"A\"=dword:00000001\n\"Other\"=\"program\"\n\"B\"=\"neu\"\n");
  EXPECT_EQ(key->Value("B")->Text, "neu");
  EXPECT_EQ(std::filesystem::status(path).permissions() & std::filesystem::perms::group_write,
            std::filesystem::perms::group_write);
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
    EXPECT_EQ(entry.path().filename(), "k.reg");  // no temporary file left

  // The key has gone since it was opened: the write fails and creates nothing.
  std::filesystem::remove(path);
  EXPECT_THROW(key->WriteDword("A", 2), SonavelError);
  EXPECT_FALSE(std::filesystem::exists(path));
  WriteBytes(path, "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\n");
  EXPECT_THROW(key->WriteDword("A", 2), SonavelError);
  EXPECT_EQ(ReadBytes(path), "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\n");
}

class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }
  ~ScopedEnv() {
    if (old_)
      setenv(name_, old_->c_str(), 1);
    else
      unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(KeyFileStore, LocationsComeFromTheEnvironment) {
  const struct {
    const char* registry;
    const char* xdg;
    const char* home;
    KeyFileStore::Locations expected;
  } cases[] = {
      {"/tmp/own.reg", "/x", "/home/a", {"/tmp/own.reg", ""}},
      {nullptr, "/x/config", "/home/a", {"/x/config/Brantel/Sonavel.reg", "/etc/Brantel/Sonavel.reg"}},
      {"", "", "/home/a", {"/home/a/.config/Brantel/Sonavel.reg", "/etc/Brantel/Sonavel.reg"}},
      {nullptr, "relative", "/home/a", {"/home/a/.config/Brantel/Sonavel.reg", "/etc/Brantel/Sonavel.reg"}},
      {nullptr, nullptr, nullptr, {"", "/etc/Brantel/Sonavel.reg"}},
  };
  for (const auto& c : cases) {
    ScopedEnv r("SONAVEL_REGISTRY", c.registry), x("XDG_CONFIG_HOME", c.xdg), h("HOME", c.home);
    const auto got = KeyFileLocationsFromEnvironment();
    EXPECT_EQ(got.First, c.expected.First);
    EXPECT_EQ(got.Alternative, c.expected.Alternative);
  }
}

TEST(InstallKeyFile, CreatesTheKeyOnceAndKeepsOtherSections) {
  TempDir dir;
  const std::string path = dir.File("sub/dir/Sonavel.reg");
  const std::vector<std::pair<std::string, RegistryValue>> values{{"FirstRun", {V::Dword, 1, ""}},
                                                                  {"Cal Filename", {V::String, 0, "ä"}}};
  ASSERT_TRUE(InstallKeyFile(path, values));
  EXPECT_EQ(ReadBytes(path), std::string(Head) + "\"FirstRun\"=dword:00000001\n\"Cal Filename\"=\"ä\"\n");
  EXPECT_FALSE(InstallKeyFile(path, {{"FirstRun", {V::Dword, 7, ""}}}));
  EXPECT_EQ(KeyFileDocument::Parse(ReadBytes(path)).Value("FirstRun")->Number, 1u);

  const std::string other = dir.File("other.reg");
  WriteBytes(other, "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\X]\r\n\"Y\"=\"z\"\r\n");
  ASSERT_TRUE(InstallKeyFile(other, values));
  EXPECT_EQ(ReadBytes(other),
            "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\X]\r\n\"Y\"=\"z\"\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brantel\\Sonavel]\r\n\"FirstRun\"=dword:00000001\r\n"
            "\"Cal Filename\"=\"\xE4\"\r\n");
}

}  // namespace
}  // namespace sonavel
