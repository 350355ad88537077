#include "tests/cjt188/link_log.h"

#include <algorithm>
#include <cstdio>

namespace cjt::test_support {

namespace {

struct TEvent {
  uint64_t AtMs;
  std::string Text;
};

std::string AnswerText(const meter::TAnswerRecord& answer) {
  char text[96];
  std::snprintf(text, sizeof text, "%s %04X serial %u%s%s", AddressText(answer.Address).c_str(), answer.DI,
                answer.Serial, answer.Error ? " error" : "", answer.Short ? " short" : "");
  return text;
}

std::string PacketText(const TPacket& packet) {
  std::string text = packet.Value("DEVICE_ID").value_or("?") + " " + packet.Value("DATA_TYPE_ID_STR").value_or("?");
  text += " (" + std::to_string(packet.Values.size()) + " values";
  if (const auto status = packet.Value("STATUS1"); status && packet.Text.empty()) text += ", failure " + *status;
  return text + ")";
}

}  // namespace

std::string Timeline(const TLinkLog& link) {
  std::vector<TEvent> events;
  for (const TAttempt& attempt : link.Attempts) {
    char text[96];
    std::snprintf(text, sizeof text, "request %s %04X serial %u", AddressText(attempt.Address).c_str(), attempt.DI,
                  attempt.Serial);
    events.push_back({attempt.SentMs, text});
  }
  for (const TArrival& arrival : link.Arrivals)
    events.push_back({arrival.LastFedMs != 0 ? arrival.LastFedMs : arrival.FirstFedMs,
                      std::string(arrival.Complete ? "answer " : "answer cut ") + AnswerText(arrival.Answer)});
  for (uint64_t at : link.OtherMasterMs) events.push_back({at, "another master asks"});
  for (const TDelivery& delivery : link.Deliveries)
    for (const TPacket& packet : delivery.Packets) events.push_back({delivery.AtMs, "packet " + PacketText(packet)});
  if (link.ClosedMs != UINT64_MAX) events.push_back({link.ClosedMs, "connection lost"});
  std::stable_sort(events.begin(), events.end(), [](const TEvent& a, const TEvent& b) { return a.AtMs < b.AtMs; });
  std::string text;
  for (const TEvent& event : events)
    text += "  +" + std::to_string(event.AtMs - link.OpenedMs) + " " + event.Text + "\n";
  return text;
}

}  // namespace cjt::test_support
