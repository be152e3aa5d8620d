#include <gtest/gtest.h>

#include "cli/cli_test_support.h"
#include "test_data.h"

namespace sonavel {
namespace {

uint32_t Be32(const std::string& s, size_t at) {
  uint32_t v = 0;
  for (size_t i = 0; i < 4; ++i) v = (v << 8) | static_cast<uint8_t>(s[at + i]);
  return v;
}

TEST(ChartCommand, DrawsTheChartAndTheThresholdRowIntoAPng) {
  test::TempDir dir;
  struct Case {
    std::vector<std::string> size;
    uint32_t width, height;
  } cases[] = {{{}, 844, 353 + 19}, {{"--width", "400", "--height", "200"}, 400, 219}};
  for (const auto& c : cases) {
    std::vector<std::string> args = {"chart", test::DataPath("aud/full.aud"), "--out", dir.File("c.png")};
    args.insert(args.end(), c.size.begin(), c.size.end());
    const auto r = test::RunCliCommand(args);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.err.empty()) << r.err;
    const std::string png = test::ReadBytes(dir.File("c.png"));
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ(png.substr(1, 3), "PNG");
    EXPECT_EQ(Be32(png, 16), c.width);
    EXPECT_EQ(Be32(png, 20), c.height);
  }
}

TEST(ChartCommand, RefusesBadInput) {
  test::TempDir dir;
  const std::vector<std::vector<std::string>> cases = {
      {"chart", test::DataPath("aud/full.aud")},
      {"chart", "--out", dir.File("c.png")},
      {"chart", test::DataPath("cal/empty_texts.cal"), "--out", dir.File("c.png")},
      {"chart", test::DataPath("aud/full.aud"), "--out", dir.File("c.png"), "--width", "10"},
      {"chart", test::DataPath("aud/full.aud"), "--out", dir.File("c.png"), "--height", "tall"},
  };
  for (const auto& args : cases) {
    const auto r = test::RunCliCommand(args);
    EXPECT_EQ(r.status, 2) << testing::PrintToString(args);
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
  }
  EXPECT_FALSE(std::filesystem::exists(dir.File("c.png")));
}

}  // namespace
}  // namespace sonavel
