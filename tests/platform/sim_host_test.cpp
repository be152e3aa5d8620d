#include "platform/sim/sim_host.h"

#include <gtest/gtest.h>

namespace sonavel {
namespace {

TEST(SimHost, SleepingAdvancesTheClockAndTheDate) {
  SimHost host({{2018, 3, 7}, 23, 59, 59, 900});
  host.Sleep(50);
  EXPECT_EQ(host.Now(), (LocalDateTime{{2018, 3, 7}, 23, 59, 59, 950}));
  host.Sleep(100);
  EXPECT_EQ(host.Now(), (LocalDateTime{{2018, 3, 8}, 0, 0, 0, 50}));
  EXPECT_DOUBLE_EQ(host.MonotonicSeconds(), 0.15);
}

TEST(SimHost, ScheduledActionsRunAtTheFirstPumpWhenDue) {
  SimHost host;
  std::vector<std::string> log;
  host.At(0.1, [&] { log.push_back("b"); });
  host.At(0.05, [&] { log.push_back("a"); });
  host.At(0.1, [&] { log.push_back("c"); });
  host.ProcessMessages();
  EXPECT_TRUE(log.empty());
  host.Sleep(120);  // sleeping alone runs nothing
  EXPECT_TRUE(log.empty());
  host.ProcessMessages();
  EXPECT_EQ(log, (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(host.PendingActions(), 0u);
}

TEST(SimHost, MessageBoxesAnswerQueuedThenDefault) {
  SimHost host;
  host.QueueAnswer(ResultCancel);
  EXPECT_EQ(host.MessageBox("q", "c", MessageIcon::Warning, ButtonOk | ButtonCancel), ResultCancel);
  EXPECT_EQ(host.MessageBox("q", "c", MessageIcon::Warning, ButtonOk | ButtonCancel), ResultOk);
  EXPECT_EQ(host.MessageBox("q", "c", MessageIcon::Confirmation, ButtonYes | ButtonNo), ResultYes);
  host.QueueAnswer(ResultNo, true);
  bool ticked = false;
  EXPECT_EQ(host.CheckBoxMessageBox("m", "Information", MessageIcon::Information, ButtonYes | ButtonNo,
                                    "Diese Meldung nicht wieder anzeigen.", ticked),
            ResultNo);
  EXPECT_TRUE(ticked);
  ASSERT_EQ(host.Messages.size(), 4u);
  EXPECT_EQ(host.Messages[3].checkBoxText, "Diese Meldung nicht wieder anzeigen.");
}

}  // namespace
}  // namespace sonavel
