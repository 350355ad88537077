#include "plugin/parsed_data_list.h"

#include "platform/clock.h"
#include "platform/text_encoding.h"
#include "plugin/parser_items.h"

namespace cjt {

void TParsedDataList::Clear() {
  TkroParamsList::Clear();
  FPacketText.clear();
}

namespace {

// A packet's bytes as text from which the host gets the same bytes back.
TVariant PacketValue(std::string_view bytes) { return TVariant(std::u16string_view(platform::BytesToWide(bytes))); }

}  // namespace

int FillGenericValues(TkroParamsList& list, const TGenericValues& values) {
  int count = 0;
  if (!values.FullPacket.empty()) {
    list.Add(ItemFullDataPacket, PacketValue(values.FullPacket));
    ++count;
  }
  if (!values.DataPacket.empty()) {
    list.Add(ItemDataPacket, PacketValue(values.DataPacket));
    ++count;
  }
  list.Add(ItemDateTimeStamp, TVariant::Date(platform::NowDateTime()));
  list.Add(ItemDataSourceId, TVariant(values.DataSourceId));
  list.Add(ItemDataSourceFullName, TVariant(values.DataSourceFullName));
  if (values.ClientId != 0) {
    list.Add(ItemClientId, TVariant(values.ClientId));
    list.Add(ItemDataSourceName, TVariant(values.ClientName));
    return count + 5;
  }
  list.Add(ItemDataSourceName, TVariant(values.DataSourceName));
  return count + 4;
}

}  // namespace cjt
