// Builds without libmosquitto (the Windows cross builds, where Debian has none for the cross
// compiler): no MQTT output.
#include "tools/cjt188-host/mqtt_publisher.h"

namespace cjt::host {

bool MqttBuiltIn() { return false; }

std::unique_ptr<TMqttPublisher> MakeMqttPublisher(const TMqttSettings&, const TReconnectSettings&, const std::string&) {
  throw EMqtt("--mqtt: this build has no MQTT output (it was built without libmosquitto)");
}

}  // namespace cjt::host
