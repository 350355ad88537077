// The request queue on a manual clock, its timers pumped by hand, with a fake owner that
// sends, answers and times out as each test says.
#include "parser/queue_controller_timer.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/timer_service.h"

namespace cjt {
namespace {

constexpr uint64_t StartTick = 1000000;

class TFakeOwner : public IQueueClient, public IQueueDataSource {
 public:
  bool GetActive() override { return Active; }
  IQueueDataSource* QueueDataSource() override { return this; }
  bool IsSuspended() override { return Suspended; }
  bool IsBusy() override { return Busy; }

  bool Active = false;
  bool Suspended = false;
  bool Busy = false;
};

struct TSent {
  uint64_t At;  // ms since the start
  std::string Name;
  int Attempts;
};

class QueueController : public ::testing::Test {
 protected:
  QueueController() {
    Queue->OnSendRequest = [this](TQueueController&, TBasicRequestItem& item, int32_t& timeout, int32_t& requestId) {
      Sent.push_back({Now(), item.Name, item.Attempts});
      if (Refuse) return false;
      timeout = Timeout;
      requestId = static_cast<int32_t>(Sent.size());
      if (AnswerAfter >= 0) AnswerAt = Now() + AnswerAfter;
      return true;
    };
    Queue->OnTimeout = [this](TQueueController&, TBasicRequestItem& item, bool& retry) {
      Retries.push_back(retry);
      Queue->RequestDone(TQueueController::dcTimedOut);
    };
  }

  static uint64_t Now() { return platform::TickCount64() - StartTick; }

  TBasicRequestItem& Add(const std::string& name, uint8_t method, int32_t pollInterval = 0, uint8_t maxAttempts = 1,
                         const std::string& text = "") {
    auto item = std::make_unique<TBasicRequestItem>();
    item->Enabled = true;
    item->Name = name;
    item->Method = method;
    item->PollInterval = pollInterval;
    item->MaxAttempts = maxAttempts;
    item->Schedule.Method = method;
    item->Schedule.Text = text;
    TBasicRequestItem& added = *item;
    Queue->Items.Add(item.release());
    return added;
  }

  // Lets ms pass in steps, answering what is due before the timers run. Long runs of time
  // events take coarse steps: every step adds a rounding error to the clock's date-time.
  void Run(uint64_t ms, uint64_t step = 10) {
    for (uint64_t passed = 0; passed < ms; passed += step) {
      Clock.Advance(step);
      if (AnswerAt != 0 && Now() >= AnswerAt) {
        AnswerAt = 0;
        Queue->RequestDone(TQueueController::dcAnswered);
        Queue->Current = nullptr;
      }
      Steps.push_back({Now(), Pump.Run()});
    }
  }

  // The timer callbacks that ran from ms from (inclusive) to ms to (exclusive).
  size_t StepsBetween(uint64_t from, uint64_t to) const {
    size_t count = 0;
    for (const auto& [at, ran] : Steps)
      if (at >= from && at < to) count += ran;
    return count;
  }

  // One field of the sends of an item, in order.
  template <class TField>
  std::vector<TField> SendsOf(const std::string& name, TField TSent::*field) const {
    std::vector<TField> values;
    for (const TSent& sent : Sent)
      if (sent.Name == name) values.push_back(sent.*field);
    return values;
  }
  std::vector<uint64_t> SentAt(const std::string& name) const { return SendsOf(name, &TSent::At); }
  std::vector<int> AttemptsOf(const std::string& name) const { return SendsOf(name, &TSent::Attempts); }

  // 2024-03-15 10:00:00.000
  platform::TManualClock Clock{StartTick, platform::EncodeCalendarTime({2024, 3, 15, 10, 0, 0, 0})};
  platform::TManualTimerPump Pump;
  TFakeOwner Owner;
  std::unique_ptr<TQueueControllerTimerClients> Queue = std::make_unique<TQueueControllerTimerClients>(&Owner);
  std::vector<TSent> Sent;
  std::vector<std::pair<uint64_t, size_t>> Steps;  // ms since the start, timer callbacks run
  std::vector<bool> Retries;
  int32_t Timeout = 1000;
  int64_t AnswerAfter = 100;
  uint64_t AnswerAt = 0;
  bool Refuse = false;
};

TEST_F(QueueController, PollingItemsKeepTheirOwnIntervalsWhicheverWasSentLast) {
  Add("fast", rmPoll, 1000);
  Add("slow", rmPoll, 3000);
  Queue->ResetSchedule();
  EXPECT_EQ(Queue->Timer->Interval(), 50u);
  Run(10000);
  ASSERT_GE(Sent.size(), 2u);
  EXPECT_EQ(Sent[0].Name, "fast");
  EXPECT_EQ(Sent[1].Name, "slow");
  // The walk wraps around: the fast item, before the slow one in the list, does not wait for it.
  const std::vector<uint64_t> fast = SentAt("fast"), slow = SentAt("slow");
  EXPECT_EQ(fast.size(), 10u);
  EXPECT_EQ(slow.size(), 4u);
  for (size_t i = 1; i < fast.size(); ++i) EXPECT_EQ(fast[i] - fast[i - 1], 1000u) << i;
  for (size_t i = 1; i < slow.size(); ++i) EXPECT_EQ(slow[i] - slow[i - 1], 3000u) << i;
}

TEST_F(QueueController, TimedOutItemsAreSentAgainUpToMaxAttempts) {
  AnswerAfter = -1;
  Timeout = 200;
  Add("meter", rmPoll, 100000, 3);
  Queue->ResetSchedule();
  Run(2000);
  EXPECT_EQ(SentAt("meter"), (std::vector<uint64_t>{50, 250, 450}));
  EXPECT_EQ(AttemptsOf("meter"), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(Retries, (std::vector<bool>{true, true, false}));
  TReadLocked<TBasicRequestList> items(Queue->Items);
  EXPECT_EQ((*items)[0]->Attempts, 0);
  EXPECT_FALSE((*items)[0]->Sending);
}

TEST_F(QueueController, OnceItemsWinAndAreNotRepeatedOnceAnswered) {
  Add("poll", rmPoll, 1000);
  Add("once", rmOnce);
  Queue->ResetSchedule();
  Run(3000);
  EXPECT_EQ(Sent[0].Name, "once");
  EXPECT_EQ(SentAt("once").size(), 1u);
  EXPECT_EQ(SentAt("poll").size(), 3u);
}

TEST_F(QueueController, UnansweredOnceItemsGoOnButRefusedOnesAreGivenUp) {
  AnswerAfter = -1;
  Timeout = 200;
  Add("once", rmOnce, 0, 2);
  Queue->ResetSchedule();
  Run(800);
  EXPECT_EQ(AttemptsOf("once"), (std::vector<int>{1, 2, 1, 2}));
  Sent.clear();
  Refuse = true;
  Run(2000);
  EXPECT_EQ(AttemptsOf("once"), (std::vector<int>{1, 2}));
}

TEST_F(QueueController, RequestDelaySpacesTheSends) {
  Timeout = 0;
  AnswerAfter = -1;
  Queue->RequestDelay = 300;
  Add("a", rmPoll, 10);
  Add("b", rmPoll, 10);
  Queue->ResetSchedule();
  EXPECT_EQ(Queue->Timer->Interval(), 10u);
  Run(2000);
  ASSERT_GE(Sent.size(), 6u);
  for (size_t i = 1; i < Sent.size(); ++i) {
    EXPECT_EQ(Sent[i].At - Sent[i - 1].At, 300u) << i;
    EXPECT_NE(Sent[i].Name, Sent[i - 1].Name) << i;
  }
}

TEST_F(QueueController, RetriesOfTriggeredItemsWaitForTheSpacingAndAreNeverDropped) {
  AnswerAfter = -1;
  Timeout = 100;
  Queue->RequestDelay = 500;  // longer than the answer time-out
  Add("event", rmEvent, 0, 3, "Read");
  std::vector<std::string> givenUp;
  Queue->OnGivenUp = [&](TQueueController&, TBasicRequestItem& item) { givenUp.push_back(item.Name); };
  Queue->ResetSchedule();
  Queue->FireEvent("Read", false, nullptr);
  Run(500);
  Refuse = true;  // the line refuses the first retry; the item is no longer triggered
  Run(100);
  Refuse = false;
  Run(1000);
  // Sent at 50, refused at 550, sent again after the spacing at 1050.
  EXPECT_EQ(SentAt("event"), (std::vector<uint64_t>{50, 550, 1050}));
  EXPECT_EQ(Retries, (std::vector<bool>{true, false}));
  EXPECT_TRUE(givenUp.empty());

  // Every attempt refused: the item is given up and its owner told.
  Sent.clear();
  Refuse = true;
  Queue->FireEvent("Read", false, nullptr);
  Run(3000);
  EXPECT_EQ(AttemptsOf("event"), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(givenUp, (std::vector<std::string>{"event"}));
}

TEST_F(QueueController, NamedEventsTriggerTheirItemsInAnyLetterCase) {
  Add("first", rmEvent, 0, 1, "Alarm");
  Add("second", rmEvent, 0, 1, "ALARM");
  Add("other", rmEvent, 0, 1, "Other");
  Add("poll", rmPoll, 100000);
  Queue->ResetSchedule();
  Run(200);
  EXPECT_EQ(Sent.size(), 1u);
  TkroParamsList params;
  params.Add("VALVE", TVariant(int32_t{1}));
  Queue->FireEvent("aLaRm", false, &params);
  Run(500);
  EXPECT_EQ(SentAt("first").size(), 1u);
  EXPECT_EQ(SentAt("second").size(), 1u);
  EXPECT_TRUE(SentAt("other").empty());
  {
    TReadLocked<TBasicRequestList> items(Queue->Items);
    ASSERT_TRUE((*items)[1]->EventParams);
    EXPECT_EQ((*items)[1]->EventParams->GetValue("valve").AsInteger(), 1);
    EXPECT_FALSE((*items)[2]->EventParams);
  }
  // All: polling items restart as if never sent; event items are reset, not triggered.
  Sent.clear();
  Queue->FireEvent("", true, nullptr);
  Run(500);
  ASSERT_EQ(Sent.size(), 1u);
  EXPECT_EQ(Sent[0].Name, "poll");
}

TEST_F(QueueController, TimeEventsTriggerAtTimeAndCronItems) {
  TqimXMLTree tree;
  tree.Parse(
      "<QUERY><Request caption='at'><Enabled>1</Enabled><MethodAtTime>1</MethodAtTime>"
      "<AtTime>10:00:05;8:30 pm, x</AtTime></Request>"
      "<Request caption='cron'><Enabled>1</Enabled><MethodCron>1</MethodCron><CronTime>*/30 * * * * *</CronTime>"
      "</Request></QUERY>");
  const TqimXMLNode& query = *tree.FindNode("QUERY");
  std::vector<std::string> scheduled;
  Queue->OnScheduled = [&](TQueueController&, TScheduledEvent& event, TBasicRequestItem& item) {
    scheduled.push_back(item.Name + " " + event.Name().substr(event.Name().find('/')));
  };
  for (size_t i = 0; i < query.ChildCount(); ++i) {
    auto item = std::make_unique<TBasicRequestItem>();
    item->LoadFromXml(query.Child(i), static_cast<int32_t>(i + 1));
    Queue->ScheduleItem(*item);
    Queue->Items.Add(item.release());
  }
  ASSERT_EQ(Queue->Events.Count(), 3u);
  EXPECT_EQ(Queue->Events[0]->Schedule().CronText(), "5 0 10 * * * *");
  EXPECT_EQ(Queue->Events[1]->Schedule().CronText(), "0 30 20 * * * *");
  EXPECT_EQ(Queue->Events[2]->Schedule().CronText(), "*/30 * * * * * *");
  Queue->ResetSchedule();
  Run(61000, 50);
  EXPECT_EQ(SentAt("at"), (std::vector<uint64_t>{5000}));
  EXPECT_EQ(SentAt("cron"), (std::vector<uint64_t>{30000, 60000}));
  EXPECT_EQ(scheduled, (std::vector<std::string>{"at /0", "cron /0", "cron /0"}));
}

TEST_F(QueueController, AnUnusableCronTextIsReportedAndTheItemKeepsItsKey) {
  std::vector<std::string> errors;
  Queue->OnError = [&](TQueueController&, const std::string& context, const std::exception& error,
                       const std::string& text) { errors.push_back(context + "|" + error.what() + "|" + text); };
  TBasicRequestItem& bad = Add("bad", rmCron);
  bad.Schedule.Cron = {"*", "*", "*", "*", "*", "x"};
  Queue->ScheduleItem(bad);
  EXPECT_EQ(errors, (std::vector<std::string>{"Cron|'x' is not a valid integer value|x * * * * * *"}));
  EXPECT_EQ(Queue->Events.Count(), 1u);
  EXPECT_FALSE(Queue->Events[0]->Running());
  ASSERT_EQ(bad.GroupKey.size(), 20u);
  EXPECT_EQ(bad.GroupKey.substr(0, 3), "G3_");
  EXPECT_EQ(bad.GroupKey.find_first_not_of("0123456789ABCDEF", 3), 11u);
  // Keys differ per item and per queue, and stay with the item.
  TBasicRequestItem& good = Add("good", rmCron);
  Queue->ScheduleItem(good);
  const std::string key = good.GroupKey;
  Queue->ScheduleItem(good);
  EXPECT_EQ(good.GroupKey, key);
  EXPECT_NE(good.GroupKey.substr(3, 8), bad.GroupKey.substr(3, 8));
  TQueueControllerTimerClients other(&Owner);
  other.ScheduleItem(good);
  EXPECT_NE(good.GroupKey, key);
  EXPECT_EQ(good.GroupKey.substr(0, 12), key.substr(0, 12));
}

TEST_F(QueueController, ReloadRequestedResetsInsteadOfSendingExceptOnASuspendedQueue) {
  Add("poll", rmPoll, 100000);
  Queue->ResetSchedule();
  Run(200);
  ASSERT_EQ(Sent.size(), 1u);
  Queue->RequestReload(1);
  Run(50);
  EXPECT_EQ(Queue->ReloadRequested, 0);
  EXPECT_EQ(Sent.size(), 1u);
  Run(50);
  EXPECT_EQ(SentAt("poll"), (std::vector<uint64_t>{50, 300}));

  Owner.Suspended = true;
  TQueueControllerTimerEx master(&Owner);
  master.OnSendRequest = Queue->OnSendRequest;
  master.Items.Add(new TBasicRequestItem());
  master.ReloadRequested = 1;
  master.Step();
  EXPECT_EQ(master.ReloadRequested, 1);
  EXPECT_FALSE(master.Timer->Enabled());
  EXPECT_TRUE(TQueueControllerTimerEx(nullptr).IsSuspended());
}

TEST_F(QueueController, AnIdleQueueTakesNoStepsBetweenItsPollsYetSendsThemOnTime) {
  Add("minute", rmPoll, 60000);
  Add("kick", rmEvent, 0, 1, "KICK");
  Queue->ResetSchedule();
  Run(30000);
  // Sent on the first step; the answer comes 100 ms later; then nothing is due for a minute.
  EXPECT_EQ(SentAt("minute"), (std::vector<uint64_t>{50}));
  EXPECT_EQ(StepsBetween(0, 200), 3u);
  EXPECT_EQ(StepsBetween(200, 30000), 0u);

  // A trigger from outside wakes the waiting queue on the cadence's next step.
  Queue->FireEvent("kick", false, nullptr);
  Run(30000);
  EXPECT_EQ(SentAt("kick"), (std::vector<uint64_t>{30050}));
  EXPECT_EQ(StepsBetween(30200, 60000), 0u);

  // The poll goes out at the very step at which a queue stepping every 50 ms would send it.
  Run(60100);
  EXPECT_EQ(SentAt("minute"), (std::vector<uint64_t>{50, 60050, 120050}));
  EXPECT_EQ(StepsBetween(60200, 120000), 0u);
  EXPECT_EQ(Queue->Timer->Interval() % 50, 0u);
}

TEST_F(QueueController, OwnerHooksAndAFailingSendKeepTheQueueRunning) {
  Add("poll", rmPoll, 0);
  Queue->ResetSchedule();
  EXPECT_EQ(Queue->Timer->Interval(), 1u);  // a zero interval still ticks
  Owner.Active = Owner.Busy = true;
  Run(100);
  EXPECT_TRUE(Sent.empty());
  Owner.Active = false;  // busy counts only for an active client
  Queue->OnSendRequest = [](TQueueController&, TBasicRequestItem&, int32_t&, int32_t&) -> bool {
    throw std::runtime_error("line gone");
  };
  EXPECT_THROW(Queue->Step(), std::runtime_error);
  EXPECT_TRUE(Queue->Timer->Enabled());
  TReadLocked<TBasicRequestList> items(Queue->Items);
  EXPECT_TRUE((*items)[0]->Sending);
  EXPECT_EQ((*items)[0]->Attempts, 1);
}

}  // namespace
}  // namespace cjt
