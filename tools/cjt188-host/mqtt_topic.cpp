#include "tools/cjt188-host/mqtt_topic.h"

#include <utility>
#include <vector>

#include "tools/cjt188-host/host_options.h"

namespace cjt::host {

namespace {

using TReplacements = std::vector<std::pair<std::string, std::string>>;

std::string Replaced(const std::string& topic, const TReplacements& replacements) {
  std::string out;
  for (size_t i = 0; i < topic.size();) {
    bool replaced = false;
    for (const auto& [name, value] : replacements) {
      if (topic.compare(i, name.size(), name) == 0) {
        out += TopicLevelText(value);
        i += name.size();
        replaced = true;
        break;
      }
    }
    if (!replaced) out += topic[i++];
  }
  return out;
}

}  // namespace

std::string TopicLevelText(std::string text) {
  for (char& c : text)
    if (c == '/' || c == '+' || c == '#' || c == '\0') c = '_';
  return text.empty() ? "_" : text;
}

void CheckTopicTemplate(const std::string& option, const std::string& topic, const std::string& allowed) {
  auto refuse = [&](const std::string& why) { throw EOptions("--" + option + ": " + why + " in \"" + topic + "\""); };
  if (topic.find_first_of("+#") != std::string::npos) refuse("a wildcard (+ or #)");
  if (topic.empty() || topic.front() == '/' || topic.back() == '/' || topic.find("//") != std::string::npos)
    refuse("an empty level");
  for (size_t open = topic.find('{'); open != std::string::npos; open = topic.find('{', open + 1)) {
    const size_t close = topic.find('}', open);
    if (close == std::string::npos || allowed.find(topic.substr(open, close - open + 1)) == std::string::npos)
      refuse("an unknown placeholder (known: " + allowed + ")");
  }
}

std::string PacketTopic(const std::string& topic, const TPacket& packet) {
  return Replaced(topic, {{"{device}", packet.Device}, {"{function}", packet.Function}, {"{source}", packet.Source}});
}

std::string StatusTopic(const std::string& topic, const std::string& clientId) {
  return Replaced(topic, {{"{client}", clientId}});
}

}  // namespace cjt::host
