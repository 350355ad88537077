// MQTT topics from the templates of --mqtt-topic and --mqtt-status-topic.
#pragma once

#include <string>

#include "tools/cjt188-host/packet.h"

namespace cjt::host {

// Throws EOptions naming the option when the template holds a wildcard (+ #), an unknown
// placeholder or an empty level. allowed: the placeholders it may use, e.g. "{device}{function}".
void CheckTopicTemplate(const std::string& option, const std::string& topic, const std::string& allowed);

// The template with {device}, {function} and {source} replaced by the packet's values. A value
// cannot add levels or wildcards: '/', '+' and '#' in it become '_'.
std::string PacketTopic(const std::string& topic, const TPacket& packet);
// The status topic with {client} replaced by the client id (made safe the same way).
std::string StatusTopic(const std::string& topic, const std::string& clientId);

// A text made safe for one topic level.
std::string TopicLevelText(std::string text);

}  // namespace cjt::host
