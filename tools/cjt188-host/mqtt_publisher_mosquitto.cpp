// MQTT output through libmosquitto. One thread owns the client: it connects, publishes what
// the queue hands out, services the connection and, when it fails, makes a new client after a
// backoff wait. A new client per connection leaves nothing of the old one's in-flight messages
// behind: the queue alone decides what goes out again, so nothing is sent twice by us.
#include <mosquitto.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

#include "tools/cjt188-host/mqtt_publisher.h"
#include "tools/cjt188-host/mqtt_queue.h"
#include "tools/cjt188-host/mqtt_topic.h"
#include "tools/cjt188-host/output_format.h"

namespace cjt::host {

namespace {

constexpr int KeepAliveSeconds = 30;
constexpr int ServiceMs = 50;          // one turn of the client's network loop
constexpr size_t InFlightWindow = 20;  // readings handed to the client and not yet acknowledged
constexpr uint32_t OfflineWaitMs = 1000;

using TClock = std::chrono::steady_clock;

std::string DefaultClientId(const std::string& source) {
  char host[256] = {};
  if (gethostname(host, sizeof host - 1) != 0) host[0] = '\0';
  return "cjt188-" + TopicLevelText(host) + "-" + TopicLevelText(source);
}

std::string ErrorText(int code) {
  std::string text = code == MOSQ_ERR_ERRNO ? std::strerror(errno) : mosquitto_strerror(code);
  if (text.ends_with(".")) text.pop_back();
  return text;
}

// One client object and its connection.
class TClient {
 public:
  TClient(const std::string& id, void* owner) : Handle(mosquitto_new(id.c_str(), true, owner)) {
    if (Handle == nullptr) throw EMqtt("MQTT: cannot make a client: " + ErrorText(MOSQ_ERR_ERRNO));
  }
  ~TClient() { mosquitto_destroy(Handle); }
  TClient(const TClient&) = delete;
  TClient& operator=(const TClient&) = delete;
  mosquitto* operator*() const { return Handle; }

 private:
  mosquitto* Handle;
};

class TMosquittoPublisher final : public TMqttPublisher {
 public:
  TMosquittoPublisher(const TMqttSettings& settings, const TReconnectSettings& reconnect, const std::string& source)
      : Settings(settings),
        Reconnect(reconnect),
        ClientId(settings.ClientId.empty() ? DefaultClientId(source) : settings.ClientId),
        StatusTopicName(StatusTopic(settings.StatusTopic, ClientId)),
        Broker(settings.Host + ":" + std::to_string(settings.Port)),
        Queue(settings.QueueLimit) {
    mosquitto_lib_init();
    // The CA file is checked now: a mistake there is a start-up failure, not a reconnect loop.
    TClient probe(ClientId, this);
    Configure(*probe);
    Thread = std::thread([this] { Run(); });
  }

  ~TMosquittoPublisher() override {
    Close(0);
    mosquitto_lib_cleanup();
  }

  void Publish(const TPacket& packet) override {
    const uint64_t before = Queue.Dropped();
    Queue.Push(PacketTopic(Settings.Topic, packet), JsonLine(packet));
    if (before == 0 && Queue.Dropped() > 0)
      Notice("queue full (" + std::to_string(Settings.QueueLimit) + " readings): the oldest are dropped");
  }

  uint64_t Dropped() const override { return Queue.Dropped(); }

  std::vector<std::string> TakeNotices() override {
    std::lock_guard lock(Mutex);
    return std::exchange(Notices, {});
  }

  size_t Close(uint32_t waitMs) override {
    if (!Thread.joinable()) return Queue.Size();
    {
      std::lock_guard lock(Mutex);
      Stopping = true;
      StopBy = TClock::now() + std::chrono::milliseconds(waitMs);
    }
    Wake.notify_all();
    Thread.join();
    return Queue.Size();
  }

 private:
  void Notice(const std::string& text) {
    std::lock_guard lock(Mutex);
    Notices.push_back("MQTT broker " + Broker + ": " + text);
  }

  bool StopDue(bool drained) {
    std::lock_guard lock(Mutex);
    return Stopping && (drained || TClock::now() >= StopBy);
  }

  // Waits ms, or less when the program stops.
  void Pause(uint32_t ms) {
    std::unique_lock lock(Mutex);
    Wake.wait_for(lock, std::chrono::milliseconds(ms), [this] { return Stopping; });
  }

  void Configure(mosquitto* client) {
    mosquitto_int_option(client, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    mosquitto_will_set(client, StatusTopicName.c_str(), 7, "offline", 1, true);
    if (!Settings.User.empty())
      mosquitto_username_pw_set(client, Settings.User.c_str(),
                                Settings.Password.empty() ? nullptr : Settings.Password.c_str());
    if (!Settings.CaFile.empty()) {
      const int result = mosquitto_tls_set(client, Settings.CaFile.c_str(), nullptr, nullptr, nullptr, nullptr);
      if (result != MOSQ_ERR_SUCCESS) throw EMqtt("--mqtt-cafile " + Settings.CaFile + ": " + ErrorText(result));
    }
    mosquitto_connect_callback_set(client, [](mosquitto*, void* self, int code) {
      static_cast<TMosquittoPublisher*>(self)->ConnectAnswer = code;
    });
    mosquitto_publish_callback_set(
        client, [](mosquitto*, void* self, int id) { static_cast<TMosquittoPublisher*>(self)->Acknowledged(id); });
  }

  void Acknowledged(int id) {
    if (id == OfflineId)
      OfflineAcknowledged = true;
    else
      Queue.Acknowledged(id);
  }

  void Run() {
    TBackoff backoff(Reconnect);
    bool everConnected = false;
    bool reported = false;  // this outage has had its line on stderr
    while (!StopDue(true)) {
      bool connected = false;
      const std::string failure = Connection(connected);
      if (failure.empty()) return;
      Queue.TakeBack();
      if (connected) {
        backoff.Reset();
        everConnected = true;
        reported = false;
      }
      if (!reported) {
        Notice((everConnected ? "connection lost: " : "cannot connect: ") + failure +
               "; readings are queued (at most " + std::to_string(Settings.QueueLimit) + ") until it is back");
        reported = true;
      }
      if (StopDue(true)) return;
      Pause(backoff.Take());
    }
  }

  // Connects and serves one connection. Returns why it ended; empty after a clean stop.
  // connected: the broker accepted the connection.
  std::string Connection(bool& connected) {
    TClient client(ClientId, this);
    Configure(*client);
    ConnectAnswer = -1;
    int result = mosquitto_connect(*client, Settings.Host.c_str(), Settings.Port, KeepAliveSeconds);
    while (result == MOSQ_ERR_SUCCESS) {
      result = mosquitto_loop(*client, ServiceMs, 1);
      if (result != MOSQ_ERR_SUCCESS) break;
      if (ConnectAnswer > 0) return mosquitto_connack_string(ConnectAnswer);
      if (ConnectAnswer < 0) continue;
      if (!connected) Online(*client, connected);
      Queue.HandOut(InFlightWindow, [&](const TQueuedReading& reading) {
        int id = -1;
        const int sent = mosquitto_publish(*client, &id, reading.Topic.c_str(),
                                           static_cast<int>(reading.Payload.size()), reading.Payload.data(), 1, false);
        return sent == MOSQ_ERR_SUCCESS ? id : -1;
      });
      if (StopDue(Queue.Size() == 0)) {
        Offline(*client);
        return {};
      }
    }
    return ErrorText(result);
  }

  void Online(mosquitto* client, bool& connected) {
    connected = true;
    mosquitto_publish(client, nullptr, StatusTopicName.c_str(), 6, "online", 1, true);
    const size_t waiting = Queue.Size();
    Notice("connected" + (waiting ? ", sending " + std::to_string(waiting) + " queued readings" : std::string()));
  }

  // A clean end: the status says so (the broker drops the last will on a clean disconnect).
  void Offline(mosquitto* client) {
    OfflineAcknowledged = false;
    if (mosquitto_publish(client, &OfflineId, StatusTopicName.c_str(), 7, "offline", 1, true) == MOSQ_ERR_SUCCESS) {
      const TClock::time_point until = TClock::now() + std::chrono::milliseconds(OfflineWaitMs);
      while (!OfflineAcknowledged && TClock::now() < until &&
             mosquitto_loop(client, ServiceMs, 1) == MOSQ_ERR_SUCCESS) {
      }
    }
    mosquitto_disconnect(client);
    mosquitto_loop(client, ServiceMs, 1);
  }

  const TMqttSettings Settings;
  const TReconnectSettings Reconnect;
  const std::string ClientId;
  const std::string StatusTopicName;
  const std::string Broker;
  TReadingQueue Queue;
  // The client thread's own state (written by its callbacks, which run on it).
  int ConnectAnswer = -1;  // -1: no answer yet; 0 accepted; >0 refused with that code
  int OfflineId = -1;
  bool OfflineAcknowledged = false;

  std::mutex Mutex;  // guards what follows
  std::condition_variable Wake;
  bool Stopping = false;
  TClock::time_point StopBy;
  std::vector<std::string> Notices;

  std::thread Thread;
};

}  // namespace

bool MqttBuiltIn() { return true; }

std::unique_ptr<TMqttPublisher> MakeMqttPublisher(const TMqttSettings& settings, const TReconnectSettings& reconnect,
                                                  const std::string& source) {
  return std::make_unique<TMosquittoPublisher>(settings, reconnect, source);
}

}  // namespace cjt::host
