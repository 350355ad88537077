// TPacketTarget: where the values decoded from one packet go. They are appended to a list,
// after the items it held when the target was made, and the packet's text gathers beside
// them. A packet list is its own target; a call whose output list is one of ours gets the
// values decoded straight into that list, with no copy item by item.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "params/kro_params_list.h"

namespace cjt {

// Between two packet texts gathered into one.
inline constexpr char PacketTextSeparator[] = "<{[::]}>";

// The first text becomes the packet text; later ones follow the separator.
inline void AppendPacketText(std::string& packetText, std::string_view text) {
  if (!packetText.empty()) packetText += PacketTextSeparator;
  packetText += text;
}

class TPacketTarget {
 public:
  // The packet's values go into values after its first start items, its text into packetText.
  TPacketTarget(TkroParamsList& values, std::string& packetText, int32_t start)
      : FValues(values), FPacketText(packetText), FStart(start) {}

  TkroParamsList& Values() const { return FValues; }
  // How many values the packet has put into the list.
  int32_t Count() const { return FValues.Count() - FStart; }
  const std::string& PacketText() const { return FPacketText; }
  void AppendPacketText(std::string_view text) { cjt::AppendPacketText(FPacketText, text); }

  // Takes the packet's values out of the list again.
  void Discard() { FValues.DeleteItems(FStart, Count()); }
  // Removes the items the list held before the packet's, which then come first.
  void DropEarlier() {
    FValues.DeleteItems(0, FStart);
    FStart = 0;
  }

 private:
  TkroParamsList& FValues;
  std::string& FPacketText;
  int32_t FStart;
};

}  // namespace cjt
