#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/common/temp_files.h"
#include "tools/cjt188-host/host_options.h"
#include "tools/cjt188-host/mqtt_queue.h"
#include "tools/cjt188-host/mqtt_topic.h"

namespace cjt::host {
namespace {

TEST(MqttOptions, BrokerTopicsCredentialsAndQueue) {
  const THostOptions none = ParseHostOptions({});
  EXPECT_FALSE(none.Mqtt.Enabled());
  EXPECT_TRUE(none.Reconnect.Enabled);
  EXPECT_EQ(none.Reconnect.FirstMs, 1000u);
  EXPECT_EQ(none.Reconnect.LongestMs, 60000u);
  EXPECT_EQ(none.Mqtt.QueueLimit, 10000u);

  EXPECT_EQ(ParseHostOptions({"--mqtt", "broker.site"}).Mqtt.Port, 1883);
  EXPECT_EQ(ParseHostOptions({"--mqtt", "broker.site", "--mqtt-cafile", "ca.pem"}).Mqtt.Port, 8883);
  const THostOptions v6 = ParseHostOptions({"--mqtt", "[::1]:1884"});
  EXPECT_EQ(v6.Mqtt.Host, "::1");
  EXPECT_EQ(v6.Mqtt.Port, 1884);

  test_support::TTempFolder folder;
  const std::string secret = folder.Write("secret", "s3cret word\r\nignored\n");
  const THostOptions full =
      ParseHostOptions({"--mqtt", "10.0.0.5:1884", "--mqtt-topic", "site1/{source}/{device}/{function}", "--mqtt-user",
                        "reader", "--mqtt-password-file", secret, "--mqtt-queue", "50", "--no-reconnect",
                        "--reconnect-delay", "200ms", "--reconnect-max", "2s"});
  EXPECT_EQ(full.Mqtt.Host, "10.0.0.5");
  EXPECT_EQ(full.Mqtt.Port, 1884);
  EXPECT_EQ(full.Mqtt.Password, "s3cret word");
  EXPECT_EQ(full.Mqtt.QueueLimit, 50u);
  EXPECT_FALSE(full.Reconnect.Enabled);
  EXPECT_EQ(full.Reconnect.FirstMs, 200u);
  EXPECT_EQ(full.Reconnect.LongestMs, 2000u);

  const std::vector<std::vector<std::string>> bad{
      {"--mqtt", ":1883"},
      {"--mqtt", "h:0"},
      {"--mqtt", "[::1"},
      {"--mqtt", "h", "--mqtt-topic", "a/#"},
      {"--mqtt", "h", "--mqtt-topic", "a/{meter}"},
      {"--mqtt", "h", "--mqtt-topic", "a//b"},
      {"--mqtt", "h", "--mqtt-status-topic", "s/{device}"},
      {"--mqtt", "h", "--mqtt-password", "x"},
      {"--mqtt", "h", "--mqtt-user", "u", "--mqtt-password", "x", "--mqtt-password-file", secret},
      {"--mqtt", "h", "--mqtt-user", "u", "--mqtt-password-file", folder.File("missing")},
      {"--mqtt", "h", "--mqtt-queue", "0"},
      {"--reconnect-delay", "5s", "--reconnect-max", "1s"},
  };
  for (const auto& arguments : bad) {
    SCOPED_TRACE(arguments.back());
    EXPECT_THROW(ParseHostOptions(arguments), EOptions);
  }
  EXPECT_NE(ParseHostOptions({"--help"}).HelpText.find("--mqtt-password-file"), std::string::npos);
}

TEST(MqttTopic, PlaceholdersTakeThePacketAndCannotAddLevels) {
  TPacket packet{"", "/dev/ttyUSB0", "00000001234567", "901F", "ok", {}};
  EXPECT_EQ(PacketTopic("cjt188/{device}/{function}", packet), "cjt188/00000001234567/901F");
  EXPECT_EQ(PacketTopic("site/{source}/{device}", packet), "site/_dev_ttyUSB0/00000001234567");
  packet.Device = "a+b#";
  packet.Function = "";
  EXPECT_EQ(PacketTopic("m/{device}/{function}", packet), "m/a_b_/_");
  EXPECT_EQ(StatusTopic("cjt188/status/{client}", "cjt188-gw1-10.0.0.7:4001"),
            "cjt188/status/cjt188-gw1-10.0.0.7:4001");
}

// Queued readings in order, acknowledged out of order, taken back on a lost connection and
// handed out again oldest first; a full queue drops the oldest.
TEST(MqttQueue, HandsOutOldestFirstAndKeepsWhatIsNotAcknowledged) {
  TReadingQueue queue(4);
  for (const char* payload : {"1", "2", "3"}) queue.Push("t", payload);
  std::vector<std::string> published;
  int nextId = 100;
  auto publish = [&](const TQueuedReading& reading) {
    published.push_back(reading.Payload);
    return nextId++;
  };
  queue.HandOut(2, publish);
  EXPECT_EQ(published, (std::vector<std::string>{"1", "2"}));
  queue.HandOut(2, publish);  // the window is full
  EXPECT_EQ(published.size(), 2u);
  queue.Acknowledged(101);  // "2" done before "1"
  queue.Acknowledged(555);  // unknown ids are ignored
  queue.HandOut(2, publish);
  EXPECT_EQ(published.back(), "3");
  EXPECT_EQ(queue.Size(), 2u);

  queue.TakeBack();         // the connection failed: "1" (id 100) and "3" (id 102) go out again
  queue.Acknowledged(100);  // a late acknowledgement of the old connection finds nothing
  EXPECT_EQ(queue.Size(), 2u);
  published.clear();
  queue.HandOut(10, publish);
  EXPECT_EQ(published, (std::vector<std::string>{"1", "3"}));

  // A client that refuses stops the handing out; nothing is lost.
  queue.TakeBack();
  queue.HandOut(10, [](const TQueuedReading&) { return -1; });
  EXPECT_EQ(queue.Size(), 2u);

  for (const char* payload : {"4", "5", "6"}) queue.Push("t", payload);  // 5 readings for 4 places
  EXPECT_EQ(queue.Dropped(), 1u);
  published.clear();
  queue.HandOut(10, publish);
  EXPECT_EQ(published, (std::vector<std::string>{"3", "4", "5", "6"}));
  // Dropping a handed-out reading keeps the count of handed-out ones right.
  queue.Push("t", "7");
  queue.TakeBack();
  published.clear();
  queue.HandOut(10, publish);
  EXPECT_EQ(published, (std::vector<std::string>{"4", "5", "6", "7"}));
}

}  // namespace
}  // namespace cjt::host
