#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "tools/cjt188-host/host_options.h"
#include "tools/cjt188-host/line_keeper.h"
#include "tools/cjt188-host/output_format.h"

namespace cjt::host {
namespace {

// A line whose reads hand out what the test queued and whose failure the test sets.
struct TFakeWire {
  std::deque<std::string> Incoming;
  std::string ReadFailure;
  std::string WriteFailure;
  std::vector<std::string> Written;
};

class TFakeLine : public THostLine {
 public:
  explicit TFakeLine(TFakeWire& wire) : THostLine("fake"), Wire(wire) {}
  void Write(std::string_view bytes) override {
    if (!Wire.WriteFailure.empty()) throw EHostLine(Wire.WriteFailure);
    Wire.Written.emplace_back(bytes);
  }
  std::string Read(uint32_t) override {
    if (!Wire.ReadFailure.empty()) throw EHostLine(Wire.ReadFailure);
    if (Wire.Incoming.empty()) return {};
    std::string bytes = Wire.Incoming.front();
    Wire.Incoming.pop_front();
    return bytes;
  }

 private:
  TFakeWire& Wire;
};

// Opens a fresh wire each time while OpenFailure is empty.
struct TFakeOpener {
  std::string OpenFailure;
  int Opened = 0;
  TFakeWire Wire;
  TLineKeeper::TOpener Function() {
    return [this]() -> std::unique_ptr<THostLine> {
      if (!OpenFailure.empty()) throw EHostLine(OpenFailure);
      ++Opened;
      Wire = TFakeWire{};
      return std::make_unique<TFakeLine>(Wire);
    };
  }
};

TEST(Backoff, DoublesUpToTheCeilingAndStartsOverAfterASuccess) {
  TBackoff backoff({true, 1000, 5000});
  std::vector<uint32_t> waits;
  for (int i = 0; i < 5; ++i) waits.push_back(backoff.Take());
  EXPECT_EQ(waits, (std::vector<uint32_t>{1000, 2000, 4000, 5000, 5000}));
  backoff.Reset();
  EXPECT_EQ(backoff.Take(), 1000u);
  // A ceiling that doubling would overflow past stays the ceiling.
  TBackoff large({true, 0x7FFFFFFF, 0x7FFFFFFF});
  EXPECT_EQ(large.Take(), 0x7FFFFFFFu);
  EXPECT_EQ(large.Take(), 0x7FFFFFFFu);
}

TEST(LineKeeper, LostOnAReadRetriedWithBackoffAndBackWithItsCounts) {
  TFakeOpener opener;
  TLineKeeper keeper("COM9", opener.Function(), {true, 100, 400});
  EXPECT_FALSE(keeper.Open(0));
  opener.Wire.Incoming.push_back("\x68\x10");
  std::optional<TLineChange> change;
  EXPECT_EQ(keeper.Read(10, 5, change), "\x68\x10");
  EXPECT_FALSE(change);

  opener.Wire.ReadFailure = "the line was closed";
  opener.OpenFailure = "no such device";
  EXPECT_EQ(keeper.Read(10, 1000, change), "");
  ASSERT_TRUE(change);
  EXPECT_FALSE(change->Up);
  EXPECT_EQ(change->Message, "the line was closed");
  EXPECT_EQ(change->RetryMs, 100u);
  EXPECT_FALSE(keeper.Up());
  EXPECT_FALSE(keeper.Write("x"));  // the plug-in's send fails while the line is down

  // Not before the wait is over; then quiet failures with doubling waits: 1100, 1300, 1700.
  keeper.Read(10, 1099, change);
  EXPECT_FALSE(change);
  for (const uint64_t now : {1100, 1300, 1700}) {
    keeper.Read(10, now, change);
    EXPECT_FALSE(change) << now;
  }
  keeper.Read(10, 2099, change);  // the longest wait is 400 ms: next attempt at 2100
  EXPECT_FALSE(change);
  opener.OpenFailure.clear();
  keeper.Read(10, 2100, change);
  ASSERT_TRUE(change);
  EXPECT_TRUE(change->Up);
  EXPECT_EQ(change->Attempts, 4u);
  EXPECT_EQ(change->DownMs, 1100u);
  EXPECT_TRUE(keeper.Write("\x68"));
  EXPECT_EQ(opener.Wire.Written, std::vector<std::string>{"\x68"});

  // After a recovery the next loss waits the first time again.
  opener.Wire.ReadFailure = "gone";
  keeper.Read(10, 3000, change);
  ASSERT_TRUE(change);
  EXPECT_EQ(change->RetryMs, 100u);
}

TEST(LineKeeper, AWriteFailureIsReportedByTheNextRead) {
  TFakeOpener opener;
  TLineKeeper keeper("h:1", opener.Function(), {true, 50, 50});
  ASSERT_FALSE(keeper.Open(0));
  opener.Wire.WriteFailure = "Broken pipe";
  EXPECT_FALSE(keeper.Write("\x68"));
  std::optional<TLineChange> change;
  keeper.Read(10, 20, change);
  ASSERT_TRUE(change);
  EXPECT_EQ(change->Message, "Broken pipe");
  keeper.Read(10, 70, change);
  ASSERT_TRUE(change);
  EXPECT_TRUE(change->Up);
  EXPECT_EQ(opener.Opened, 2);
}

TEST(LineKeeper, WithoutReconnectingAFaultEndsTheRunAsBefore) {
  TFakeOpener opener;
  opener.OpenFailure = "serial device /dev/x: No such file or directory";
  TLineKeeper closed("/dev/x", opener.Function(), {false, 1000, 60000});
  EXPECT_THROW(closed.Open(0), EHostLine);

  opener.OpenFailure.clear();
  TLineKeeper keeper("/dev/x", opener.Function(), {false, 1000, 60000});
  ASSERT_FALSE(keeper.Open(0));
  opener.Wire.ReadFailure = "Input/output error";
  std::optional<TLineChange> change;
  EXPECT_THROW(keeper.Read(10, 1, change), EHostLine);

  // With reconnecting, a line that cannot be opened at the start is the first loss.
  opener.OpenFailure = "refused";
  TLineKeeper retried("h:1", opener.Function(), {true, 1000, 60000});
  const std::optional<TLineChange> first = retried.Open(0);
  ASSERT_TRUE(first);
  EXPECT_FALSE(first->Up);
  EXPECT_EQ(first->Message, "refused");
  opener.OpenFailure.clear();
  retried.Read(10, 1000, change);
  ASSERT_TRUE(change);
  EXPECT_EQ(change->Attempts, 2u);  // the failed first opening counts
}

TEST(LineStatus, RecordsKeepEveryOutputValid) {
  const TLineStatus lost{"2024-05-01 10:00:00", "127.0.0.1:4001", false, "127.0.0.1:4001: the line was closed", 2000};
  const TLineStatus back{"2024-05-01 10:00:07", "127.0.0.1:4001", true, "", 0, 3, 7250};
  EXPECT_EQ(JsonLine(lost),
            R"({"time":"2024-05-01 10:00:00","source":"127.0.0.1:4001","record":"status","line":"lost",)"
            R"("message":"line lost: 127.0.0.1:4001: the line was closed; reconnecting in 2 s","retry_ms":2000})");
  EXPECT_EQ(JsonLine(back),
            R"({"time":"2024-05-01 10:00:07","source":"127.0.0.1:4001","record":"status","line":"back",)"
            R"("message":"line back after 3 attempts, 7.2 s without the line","attempts":3,"down_ms":7250})");
  // CSV: the columns of a packet, the text in the status column, the value columns empty.
  EXPECT_EQ(CsvLine(lost, {"ENERGY_HEAT"}),
            "2024-05-01 10:00:00,127.0.0.1:4001,,,line lost: 127.0.0.1:4001: the line was closed; reconnecting in "
            "2 s,,");
  // The comma of the recovery text stays inside its quoted field.
  EXPECT_EQ(CsvLine(back, {"ENERGY_HEAT"}),
            "2024-05-01 10:00:07,127.0.0.1:4001,,,\"line back after 3 attempts, 7.2 s without the line\",,");
}

}  // namespace
}  // namespace cjt::host
