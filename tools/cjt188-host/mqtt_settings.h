// Where and how the program publishes its readings over MQTT (--mqtt and its companions).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace cjt::host {

struct TMqttSettings {
  std::string Host;  // empty: no MQTT output
  uint16_t Port = 1883;
  // Placeholders {device}, {function} and {source} take the packet's values.
  std::string Topic = "cjt188/{device}/{function}";
  // Retained "online" while the program is connected, "offline" after it (the last will when
  // it dies). {client} takes the client id.
  std::string StatusTopic = "cjt188/status/{client}";
  std::string ClientId;  // empty: cjt188-HOSTNAME-SOURCE, the same for every run on one line
  std::string User;
  std::string Password;  // from --mqtt-password or the first line of --mqtt-password-file
  std::string CaFile;    // not empty: TLS, the broker's certificate checked against these
  // Readings kept while the broker cannot be reached; beyond it the oldest are dropped. A
  // reading is some 300 bytes of JSON, so the queue holds at most about 3 MB, and at a poll of
  // 20 readings a minute it spans more than 8 hours without the broker.
  size_t QueueLimit = 10000;

  bool Enabled() const { return !Host.empty(); }
};

}  // namespace cjt::host
