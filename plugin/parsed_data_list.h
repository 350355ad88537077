// TParsedDataList: the values decoded from one packet, with the raw packet text they were
// decoded from, and the filling of the values every parser module delivers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "params/kro_params_list.h"
#include "plugin/packet_target.h"

namespace cjt {

class TParsedDataList : public TkroParamsList {
 public:
  const std::string& PacketText() const { return FPacketText; }
  // The first text becomes the packet text; later ones follow the separator.
  void AppendPacketText(std::string_view text) { cjt::AppendPacketText(FPacketText, text); }

  // The list as the target of one packet: all its items are the packet's.
  TPacketTarget Target() { return {*this, FPacketText, 0}; }
  // A target that puts the packet's values into another list, after the items that list
  // holds now, and gathers the packet's text here.
  TPacketTarget TargetFor(TkroParamsList& values) { return {values, FPacketText, values.Count()}; }

  // Empties the values and the packet text.
  void Clear() override;

 private:
  std::string FPacketText;
};

// What the generic values are filled from; the texts are read while they are filled.
struct TGenericValues {
  std::string_view FullPacket;  // the packet's bytes; empty: not given
  std::string_view DataPacket;  // the packet's bytes; empty: not given
  int32_t DataSourceId = 0;
  std::string_view DataSourceName;
  std::string_view DataSourceFullName;
  int32_t ClientId = 0;  // 0: no client
  std::string_view ClientName;
};

// Appends the generic values under their item names (a name already present gets a second
// entry) and returns how many were written. The packets become text from which the host gets
// their bytes back (platform::BytesToWide).
int FillGenericValues(TkroParamsList& list, const TGenericValues& values);

}  // namespace cjt
