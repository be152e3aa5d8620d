#include "files/atomic_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>

#include "calibration/calibration_file.h"
#include "cli/cli_test_support.h"
#include "core/error.h"
#include "files/audiogram_file.h"
#include "files/text_export.h"

namespace sonavel {
namespace {

using test::ReadBytes;
using test::TempDir;

// What the disk held whenever the writer asked for a sync.
struct SyncCall {
  std::string path;
  std::string syncedBytes;  // the bytes of what was synced, when it is a file
  std::string targetBytes;  // the target as it stood then
};

TEST(AtomicFileWriter, EveryWriterSyncsTheFileBeforeTheRenameAndTheFolderAfterIt) {
  AppState s;
  s.Personal.LastName = "Neu";
  CalibrationHeader h;
  h.Person = "Neu";
  const struct {
    const char* name;
    std::function<void(AtomicFileWriter&)> write;
    std::string bytes;
  } writers[] = {
      {"audiogram file",
       [&](AtomicFileWriter& out) { WriteFile(out, s.CurrentAudiogram, s.Personal, RegionalDeDe()); },
       AudiogramFileBytes(s.CurrentAudiogram, s.Personal, RegionalDeDe())},
      {"text export",
       [&](AtomicFileWriter& out) { WriteAsciiFile(out, s.CurrentAudiogram, s.Personal, RegionalDeDe()); },
       AsciiFileBytes(s.CurrentAudiogram, s.Personal, RegionalDeDe())},
      {"calibration file", [&](AtomicFileWriter& out) { WriteCal(out, h, s.CalibrationData); },
       CalibrationFileBytes(h, s.CalibrationData)},
      {"whole file (key file, image)",
       [](AtomicFileWriter& out) {
         out.Write("new");
         out.Commit();
       },
       "new"},
  };
  for (const auto& w : writers) {
    SCOPED_TRACE(w.name);
    TempDir dir;
    const std::string target = dir.File("x.dat");
    std::ofstream(target, std::ios::binary) << "old";
    std::vector<SyncCall> calls;
    {
      AtomicFileWriter out(target);
      out.SetSyncStep([&](int, const std::string& path) {
        calls.push_back(
            {path, std::filesystem::is_regular_file(path) ? ReadBytes(path) : "", ReadBytes(target)});
        return true;
      });
      w.write(out);
    }
    ASSERT_EQ(calls.size(), 2u);
    // The complete new bytes are on disk while the target is still the old file...
    EXPECT_NE(calls[0].path, target);
    EXPECT_EQ(std::filesystem::path(calls[0].path).parent_path(),
              std::filesystem::path(target).parent_path());
    EXPECT_EQ(calls[0].syncedBytes, w.bytes);
    EXPECT_EQ(calls[0].targetBytes, "old");
    // ... and the folder is synced once the new file has taken the target's name.
    EXPECT_TRUE(std::filesystem::equivalent(calls[1].path, dir.Path()));
    EXPECT_EQ(calls[1].targetBytes, w.bytes);
    EXPECT_EQ(ReadBytes(target), w.bytes);
  }
}

TEST(AtomicFileWriter, AFileThatCannotBeSyncedIsNotPutInPlace) {
  TempDir dir;
  const std::string target = dir.File("x.dat");
  std::ofstream(target, std::ios::binary) << "old";
  {
    AtomicFileWriter out(target);
    out.SetSyncStep([](int, const std::string&) {
      errno = EIO;
      return false;
    });
    out.Write("new");
    try {
      out.Commit();
      ADD_FAILURE() << "no error";
    } catch (const SonavelError& e) {
      EXPECT_NE(std::string(e.what()).find("x.dat"), std::string::npos);
    }
  }
  EXPECT_EQ(ReadBytes(target), "old");
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
    EXPECT_EQ(entry.path().filename(), "x.dat");  // no temporary file left behind
}

}  // namespace
}  // namespace sonavel
