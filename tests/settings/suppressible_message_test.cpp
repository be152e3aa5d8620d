#include "settings/suppressible_message.h"

#include <gtest/gtest.h>

#include <fstream>

#include "cli/cli_test_support.h"
#include "core/error.h"
#include "platform/keyfile/key_file.h"
#include "platform/sim/sim_host.h"

namespace sonavel {
namespace {

using test::TempDir;

const std::string Question = "Soll eine Bedienungsanleitung für die Testperson angezeigt werden?";
const std::string Mark =
    "Das Audiometer muß zunächst kalibriert werden. Möchten Sie detailierte Informationen zur Kalibrierung?";

int32_t Ask(SimHost& host, KeyStore& store) {
  return SuppressibleMessage(host, store, Question, "Information", MessageIcon::Information,
                             ButtonYes | ButtonNo, Mark);
}

TEST(SuppressibleMessage, ATickSilencesTheMessageForGood) {
  TempDir dir;
  const std::string path = dir.File("k.reg");
  ASSERT_TRUE(InstallKeyFile(path, {{"FirstRun", {RegistryValueType::Dword, 0, ""}}}));
  KeyFileStore store({path, ""});

  SimHost host;
  host.QueueAnswer(ResultNo);  // no tick
  EXPECT_EQ(Ask(host, store), ResultNo);
  host.QueueAnswer(ResultYes, true);
  EXPECT_EQ(Ask(host, store), ResultYes);
  ASSERT_EQ(host.Messages.size(), 2u);
  EXPECT_EQ(host.Messages[1].text, Question);
  EXPECT_EQ(host.Messages[1].caption, "Information");
  EXPECT_EQ(host.Messages[1].icon, MessageIcon::Information);
  EXPECT_EQ(host.Messages[1].checkBoxText, "Diese Meldung nicht wieder anzeigen.");
  EXPECT_EQ(KeyFileDocument::Parse(test::ReadBytes(path)).Value(Mark),
            (RegistryValue{RegistryValueType::Dword, 1, ""}));

  // Not shown again, also by a later run with a store of its own.
  KeyFileStore later({path, ""});
  EXPECT_EQ(Ask(host, later), 0);
  EXPECT_EQ(host.Messages.size(), 2u);
}

TEST(SuppressibleMessage, WithoutAKeyTheMessageComesEveryTimeAndATickFails) {
  TempDir dir;
  const std::string alternative = dir.File("alt.reg");
  ASSERT_TRUE(InstallKeyFile(alternative, {{Mark, {RegistryValueType::Dword, 1, ""}}}));
  KeyFileStore store({dir.File("missing.reg"), alternative});  // only the first path counts

  SimHost host;
  EXPECT_EQ(Ask(host, store), ResultYes);
  EXPECT_EQ(Ask(host, store), ResultYes);
  host.QueueAnswer(ResultYes, true);
  try {
    Ask(host, store);
    ADD_FAILURE() << "no error";
  } catch (const SonavelError& e) {
    EXPECT_EQ(std::string(e.what()), "Failed to set data for '" + Mark + "'");
  }
  EXPECT_EQ(host.Messages.size(), 3u);
}

}  // namespace
}  // namespace sonavel
