#include <fstream>

#include "tools/cjt188-host/mqtt_topic.h"
#include "tools/cjt188-host/option_groups.h"

namespace cjt::host {

namespace {

constexpr uint16_t PlainPort = 1883;
constexpr uint16_t TlsPort = 8883;

// HOST, HOST:PORT, [IPv6] or [IPv6]:PORT; without a port the standard one for plain or TLS.
void ParseBroker(const std::string& text, bool tls, TMqttSettings& mqtt) {
  std::string host = text;
  std::string port;
  if (text.starts_with("[")) {
    const size_t close = text.find(']');
    if (close == std::string::npos || (close + 1 < text.size() && text[close + 1] != ':'))
      throw EOptions("--mqtt: HOST[:PORT] expected, not \"" + text + "\"");
    host = text.substr(1, close - 1);
    if (close + 1 < text.size()) port = text.substr(close + 2);
  } else if (const size_t colon = text.find(':'); colon != std::string::npos && text.rfind(':') == colon) {
    host = text.substr(0, colon);
    port = text.substr(colon + 1);
  }
  if (host.empty()) throw EOptions("--mqtt: HOST[:PORT] expected, not \"" + text + "\"");
  mqtt.Host = host;
  mqtt.Port = port.empty() ? (tls ? TlsPort : PlainPort) : static_cast<uint16_t>(ParseUnsigned("mqtt", port, 1, 65535));
}

// The first line of the file, without its line end: the password stays off the command line.
std::string ReadPasswordFile(const std::string& fileName) {
  std::ifstream in(fileName);
  std::string password;
  if (!in || !std::getline(in, password)) throw EOptions("--mqtt-password-file: " + fileName + " cannot be read");
  if (!password.empty() && password.back() == '\r') password.pop_back();
  return password;
}

std::string Text(const cxxopts::ParseResult& result, const std::string& name) {
  return result.count(name) ? result[name].as<std::string>() : std::string();
}

}  // namespace

void DescribeMqttOptions(cxxopts::Options& options) {
  options.add_options(MqttGroup)("mqtt",
                                 "also publish every packet, as the JSON object of --json, to this broker (QoS 1)",
                                 cxxopts::value<std::string>(), "HOST[:PORT]")(
      "mqtt-topic", "topic per packet; {device}, {function} and {source} are replaced",
      cxxopts::value<std::string>()->default_value("cjt188/{device}/{function}"),
      "TOPIC")("mqtt-status-topic", "retained online/offline status (offline also as last will); {client} is replaced",
               cxxopts::value<std::string>()->default_value("cjt188/status/{client}"),
               "TOPIC")("mqtt-client-id", "client id (default: cjt188-HOSTNAME-LINE)", cxxopts::value<std::string>(),
                        "ID")("mqtt-user", "user name at the broker", cxxopts::value<std::string>(), "NAME")(
      "mqtt-password", "password at the broker (visible to other users: prefer --mqtt-password-file)",
      cxxopts::value<std::string>(), "TEXT")("mqtt-password-file", "the password is the first line of this file",
                                             cxxopts::value<std::string>(), "FILE")(
      "mqtt-cafile", "TLS: check the broker's certificate against these CA certificates (port 8883 by default)",
      cxxopts::value<std::string>(),
      "FILE")("mqtt-queue", "readings kept while the broker cannot be reached; beyond it the oldest are dropped",
              cxxopts::value<std::string>()->default_value("10000"), "N");
}

void ReadMqttOptions(const cxxopts::ParseResult& result, THostOptions& options) {
  TMqttSettings& mqtt = options.Mqtt;
  mqtt.CaFile = Text(result, "mqtt-cafile");
  if (result.count("mqtt")) ParseBroker(result["mqtt"].as<std::string>(), !mqtt.CaFile.empty(), mqtt);
  mqtt.Topic = result["mqtt-topic"].as<std::string>();
  CheckTopicTemplate("mqtt-topic", mqtt.Topic, "{device}{function}{source}");
  mqtt.StatusTopic = result["mqtt-status-topic"].as<std::string>();
  CheckTopicTemplate("mqtt-status-topic", mqtt.StatusTopic, "{client}");
  mqtt.ClientId = Text(result, "mqtt-client-id");
  mqtt.User = Text(result, "mqtt-user");
  if (result.count("mqtt-password") && result.count("mqtt-password-file"))
    throw EOptions("give only one of --mqtt-password and --mqtt-password-file");
  mqtt.Password = result.count("mqtt-password-file") ? ReadPasswordFile(Text(result, "mqtt-password-file"))
                                                     : Text(result, "mqtt-password");
  if (!mqtt.Password.empty() && mqtt.User.empty()) throw EOptions("--mqtt-password: give --mqtt-user too");
  mqtt.QueueLimit = ParseUnsigned("mqtt-queue", result["mqtt-queue"].as<std::string>(), 1, 10000000);
}

}  // namespace cjt::host
