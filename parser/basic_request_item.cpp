#include "parser/basic_request_item.h"

#include <algorithm>
#include <limits>

#include "support/xml_readers.h"

namespace cjt {

namespace {

constexpr int32_t DefaultPollInterval = 1000;
constexpr std::string_view DefaultAtTime = "12:00:00";
constexpr std::string_view DefaultCronTime = "0 0 12 * * *";

// The method flags in the order in which they decide.
constexpr std::pair<std::string_view, TRequestMethod> MethodFlags[] = {{"MethodAtTime", rmAtTime},
                                                                       {"MethodCron", rmCron},
                                                                       {"MethodOnce", rmOnce},
                                                                       {"MethodEvent", rmEvent},
                                                                       {"MethodPoll", rmPoll}};

uint8_t MethodOf(const TqimXMLNode& element) {
  for (const auto& [flag, method] : MethodFlags)
    if (XmlNodeBool(&element, flag, false)) return method;
  return rmOnce;
}

}  // namespace

int32_t PollIntervalMs(int32_t interval, std::string_view units) {
  int64_t factor = 1;
  if (units == "S")
    factor = 1000;
  else if (units == "M")
    factor = 60000;
  else if (units == "H")
    factor = 3600000;
  return static_cast<int32_t>(
      std::clamp<int64_t>(interval * factor, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

void TBasicRequestItem::Assign(const TBasicRequestItem& source) {
  Enabled = source.Enabled;
  Name = source.Name;
  Method = source.Method;
  PollInterval = source.PollInterval;
  Schedule = source.Schedule;
  Triggered = source.Triggered.load();
  GroupKey = source.GroupKey;
  Sending = false;
  PollTimer.Clear();
}

void TBasicRequestItem::LoadFromXml(const TqimXMLNode& element, int32_t index) {
  Enabled = XmlNodeBool(&element, "Enabled", false);
  Name = XmlNodeCaption(&element, "Request", index);
  Method = MethodOf(element);
  PollInterval =
      PollIntervalMs(XmlNodeInt(&element, "PollInterval", DefaultPollInterval), XmlNodeText(&element, "PollUnits", ""));
  Schedule = TExportUnchangedMode();
  Schedule.Method = Method;
  if (Method == rmAtTime) {
    Schedule.Text = XmlNodeText(&element, "AtTime", DefaultAtTime);
  } else if (Method == rmEvent) {
    Schedule.Text = XmlNodeText(&element, "EventId", "");
  } else if (Method == rmCron) {
    Schedule.Text = XmlNodeText(&element, "CronTime", DefaultCronTime);
    Schedule.Cron = SplitCronParams(Schedule.Text);
  }
}

}  // namespace cjt
