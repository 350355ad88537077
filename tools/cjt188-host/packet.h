// One packet of decoded values as the program shows it: which meter and function it came
// from, its status and its values with their units. Made from what the plug-in hands over:
// the output list of a ProcessData call (several packets one after the other) or the values
// of a failed request sent outside a call.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "params/kro_params_list.h"

namespace cjt::host {

using TNamedTexts = std::vector<std::pair<std::string, std::string>>;

struct TPacketValue {
  std::string Name;
  std::string Text;               // as the plug-in gave it (date-times as YYYY-MM-DD hh:mm:ss)
  std::optional<double> Number;   // when the text is a number
  std::string Unit;               // from the NAME_UNIT item that follows the value
};

struct TPacket {
  std::string Time;      // when the host received it, local YYYY-MM-DD hh:mm:ss
  std::string Source;    // data source name
  std::string Device;    // meter address text
  std::string Function;  // data identifier, e.g. 901F
  std::string Status;    // "ok", "timeout", "invalid answer" or "incomplete"
  std::vector<TPacketValue> Values;
};

// Items that say where a packet came from rather than what the meter measured (the generic
// items and the header items of every packet).
bool IsHeaderItem(std::string_view name);
// The names of the value items in the plug-in's item text (ITEMS: "Description|Name|Type|
// Extra" lines), header items left out, in the plug-in's order.
std::vector<std::string> ValueItemNames(std::string_view itemsText);

// The value as text; date-times as YYYY-MM-DD hh:mm:ss.
std::string VariantText(const TVariant& value);
// A local date-time (days since 1899-12-30) as YYYY-MM-DD hh:mm:ss.
std::string DateTimeText(double dateTime);

// The packets of one ProcessData output list: a packet starts again where the name of the
// list's first item comes back.
std::vector<TNamedTexts> SplitPackets(const TkroParamsList& list);

// A packet from its items. failedRequest: the values of a request that ended without a full
// answer; their STATUS1 tells why (128 nothing came, 64 no valid answer).
TPacket MakePacket(const TNamedTexts& items, std::string time, std::string source, bool failedRequest);

}  // namespace cjt::host
