// The receive side's second half: decoding the values of a matched answer into the group's
// results, and handing the group to the host once its last request is answered.
#include <algorithm>
#include <array>
#include <span>
#include <type_traits>
#include <variant>

#include "cjt188/cjt188_parser_client.h"
#include "cjt188/value_decoding.h"
#include "plugin/log_data_list.h"

namespace cjt {

namespace {

constexpr size_t ValuesOffset = 14;  // after the data identifier and the serial number
constexpr int32_t DIAndSerialLength = 3;

TVariant ValueVariant(const TValue& value) {
  return std::visit(
      [](const auto& decoded) -> TVariant {
        if constexpr (std::is_same_v<std::decay_t<decltype(decoded)>, TDateTimeValue>)
          return TVariant::Date(decoded.Value);
        else
          return TVariant(decoded);
      },
      value);
}

// The unit byte's text as the value of a unit item, made once for every byte: an item
// refilled with the same unit takes its text in place. Empty for a byte that names no unit.
const TVariant& UnitValue(uint8_t unit) {
  static const std::array<TVariant, 256> values = [] {
    std::array<TVariant, 256> made;
    for (size_t code = 0; code < made.size(); ++code)
      if (const std::string_view text = UnitText(static_cast<uint32_t>(code)); !text.empty())
        made[code] = TVariant(text);
    return made;
  }();
  return values[unit];
}

}  // namespace

int32_t TCjt188ParserClient::ParseFrame(TPacketTarget& target) {
  TRequestItem* item = Matched;
  Matched = nullptr;
  if (FrameCopy.empty() || item == nullptr) return -1;
  if (item == Queue->Current) Queue->RequestDone(TQueueController::dcAnswered);
  const bool last = IsLastOfGroup(*item);
  const std::string deviceId = AddressText(std::span<const uint8_t>(FrameCopy).subspan(FrameAddressOffset, 7));
  StartGroupFor(*item, deviceId);
  // A group this one answer completes goes straight into the target; the values of a group
  // of several requests gather in Results until its last answer.
  const bool alone = last && Results.Count() == 0 && target.Count() == 0;
  TPacketTarget held = Results.Target();
  TPacketTarget& into = alone ? target : held;
  int32_t result = -1;
  // The group is flushed also when decoding raised; the error then goes on to the data path.
  auto flush = [&] {
    if (into.Count() == 0 || !last) return;
    result = into.Count();
    if (!alone) {
      target.AppendPacketText(Results.PacketText());
      target.Values().TakeItems(Results);
    }
    target.Values().AddNewRow();
    ClearHeld();
  };
  try {
    DecodeValues(*item, deviceId, into);
  } catch (...) {
    flush();
    throw;
  }
  flush();
  return result;
}

void TCjt188ParserClient::DecodeValues(const TRequestItem& item, const std::string& deviceId, TPacketTarget& into) {
  const std::span<const uint8_t> frame(FrameCopy);
  const uint8_t meterType = frame[FrameTypeOffset];
  Held.Items.push_back(&item);
  into.AppendPacketText(std::string_view(reinterpret_cast<const char*>(frame.data()), frame.size()));
  if (into.Count() == 0) FillHeader(into.Values(), item, &FrameCopy, deviceId);
  size_t offset = ValuesOffset;
  int32_t remaining = frame[FrameLengthOffset] - DIAndSerialLength;
  const TLayoutVariant variant = item.Params.Variant;
  const size_t valueBytes = static_cast<size_t>(std::max(remaining, 0));
  for (const TRequestFuncType& row : FindRowsFor(FrameDI, meterType, variant, valueBytes))
    if (!DecodeRow(row, variant == TLayoutVariant::UnitFirst, offset, remaining, into.Values())) break;
}

// A short answer ends the walk at the first value that does not fit, so that no later value
// is read from the wrong bytes.
bool TCjt188ParserClient::DecodeRow(const TRequestFuncType& row, bool unitFirst, size_t& offset, int32_t& remaining,
                                    TkroParamsList& into) {
  const std::span<const uint8_t> frame(FrameCopy);
  if (row.Kind() == TValueKind::MeterType) {
    into.Add(row.Name, TVariant(uint32_t{frame[FrameTypeOffset]}));
    return true;
  }
  const auto takeUnit = [&] {
    --remaining;
    return frame[offset++];
  };
  if (unitFirst && row.HasUnitByte()) {
    // The unit byte in front of the value: the value must fit behind it.
    if (remaining < row.Width + 1) return false;
    const uint8_t unit = takeUnit();
    AddValue(row, offset, remaining, into);
    AddUnit(row, unit, into);
    return true;
  }
  if (remaining < row.Width) return false;
  AddValue(row, offset, remaining, into);
  // A unit byte is read only when the answer still holds one: the checksum is no unit.
  if (row.HasUnitByte() && remaining >= 1) AddUnit(row, takeUnit(), into);
  return true;
}

void TCjt188ParserClient::AddValue(const TRequestFuncType& row, size_t& offset, int32_t& remaining,
                                   TkroParamsList& into) {
  const std::span<const uint8_t> frame(FrameCopy);
  const TDecodedValue decoded = DecodeValue(row, frame.subspan(offset, static_cast<size_t>(remaining)));
  if (const auto* dateTime = std::get_if<TDateTimeValue>(&decoded.Value); dateTime && !dateTime->Error.empty())
    Log(LogLevelWarning, "Unable to encode date: " + dateTime->Error);
  offset += decoded.Consumed;
  remaining -= static_cast<int32_t>(decoded.Consumed);
  into.Add(row.Name, ValueVariant(decoded.Value));
}

void TCjt188ParserClient::AddUnit(const TRequestFuncType& row, uint8_t unit, TkroParamsList& into) {
  const TVariant& value = UnitValue(unit);
  if (!value.IsEmpty()) into.Add(UnitItemName(row), value);
}

}  // namespace cjt
