// MQTT output: every packet published, as the JSON object of --json, on its own topic with
// QoS 1, by a client that runs on a thread of its own and reconnects with backoff. Readings
// wait in a bounded queue while the broker cannot be reached. A retained status topic says
// "online" while the client is connected and "offline" after it, as its last will too.
// Built with libmosquitto where it is found; otherwise MakeMqttPublisher refuses.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/cjt188-host/mqtt_settings.h"
#include "tools/cjt188-host/packet.h"
#include "tools/cjt188-host/reconnect_backoff.h"

namespace cjt::host {

class EMqtt : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TMqttPublisher {
 public:
  virtual ~TMqttPublisher() = default;
  // Queues the packet for the broker. Any thread.
  virtual void Publish(const TPacket& packet) = 0;
  // Readings dropped from the full queue so far.
  virtual uint64_t Dropped() const = 0;
  // Lines for standard error about the broker's connection since the last call.
  virtual std::vector<std::string> TakeNotices() = 0;
  // Sends what is queued for up to waitMs while connected, publishes "offline" and
  // disconnects. Returns the readings left unsent.
  virtual size_t Close(uint32_t waitMs) = 0;
};

// Whether this build has MQTT output.
bool MqttBuiltIn();

// source: the line's name, part of the default client id. Throws EMqtt when this build has no
// MQTT output or the client cannot be set up (a CA file that cannot be read).
std::unique_ptr<TMqttPublisher> MakeMqttPublisher(const TMqttSettings& settings, const TReconnectSettings& reconnect,
                                                  const std::string& source);

}  // namespace cjt::host
