#include "cli/json_reader.h"

#include <gtest/gtest.h>

#include "cli/cli.h"

namespace sonavel::cli {
namespace {

TEST(JsonReader, ReadsTheGrammar) {
  const JsonValue v = ParseJson(
      " {\"a\": [1, -0, 2.5e3, true, false, null], \"s\": "
      "\"\\\"\\\\\\/\\b\\f\\n\\r\\t\\u00e4\\ud83d\\ude00ö\", "
      "\"o\": {}} \n");
  ASSERT_EQ(v.kind, JsonValue::Kind::Object);
  const auto& a = v.Find("a")->items;
  ASSERT_EQ(a.size(), 6u);
  EXPECT_TRUE(a[0].integral);
  EXPECT_EQ(a[0].integer, 1);
  EXPECT_TRUE(a[1].integral);
  EXPECT_FALSE(a[2].integral);
  EXPECT_EQ(a[2].number, 2500);
  EXPECT_TRUE(a[3].boolean);
  EXPECT_EQ(a[5].kind, JsonValue::Kind::Null);
  EXPECT_EQ(v.Find("s")->text, "\"\\/\b\f\n\r\tä😀ö");
  EXPECT_TRUE(v.Find("o")->members.empty());
  EXPECT_EQ(v.Find("missing"), nullptr);
}

TEST(JsonReader, RefusesWhatTheGrammarDoesNotAllow) {
  const char* const cases[] = {
      "",
      "{",
      "{\"a\":1,}",
      "[1,]",
      "[01]",
      "[1.]",
      "[.5]",
      "[+1]",
      "[1e]",
      "[NaN]",
      "[Infinity]",
      "{'a':1}",
      "{\"a\" 1}",
      "{\"a\":1}x",
      "{\"a\":1,\"a\":2}",
      "[\"\t\"]",
      "[\"\\x\"]",
      "[\"\\u12\"]",
      "[\"\\ud800\"]",
      "[\"\\udc00\"]",
      "[\"\xC3\"]",
      "[\"\xC0\xAF\"]",
      "[1e999]",
      "// c\n[]",
      "[tru]",
      "nul",
  };
  for (const char* text : cases) EXPECT_THROW(ParseJson(text), UsageError) << text;

  std::string deep(JsonMaxDepth + 1, '[');
  deep += std::string(JsonMaxDepth + 1, ']');
  EXPECT_THROW(ParseJson(deep), UsageError);
  std::string fine(JsonMaxDepth, '[');
  fine += std::string(JsonMaxDepth, ']');
  EXPECT_NO_THROW(ParseJson(fine));
}

TEST(JsonReader, NamesWhereTheFaultIs) {
  try {
    ParseJson("{\n  \"a\": [1,\n   ]\n}");
    ADD_FAILURE() << "accepted";
  } catch (const UsageError& e) {
    EXPECT_EQ(std::string(e.what()), "JSON line 3, column 4: unexpected character");
  }
}

}  // namespace
}  // namespace sonavel::cli
