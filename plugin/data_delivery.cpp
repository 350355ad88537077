#include "plugin/data_delivery.h"

#include <cstring>
#include <string>

#include "params/borrowed_list_intf.h"
#include "params/copy_to_intf.h"
#include "params/kro_params_list_wrap.h"
#include "plugin/call_context.h"
#include "plugin/kro_plugin.h"

namespace cjt {

namespace {

int32_t Send(TkroPlugin& plugin, uint32_t dataSourceId, uint32_t connectionKey, uint8_t kind, uintptr_t address,
             uint32_t count) {
  const TSendDataEx send = plugin.HostFunctions.SendDataEx;
  if (send == nullptr) return -1;
  return send(plugin.ModuleIndex, dataSourceId, connectionKey, 0, kind, address, count);
}

// The text the Input block holds when it holds a text buffer.
std::string_view InputText(const TPluginDataBlock& input) {
  if (input.Kind != DataKindTextBuffer || input.Data == 0 || input.Size == 0) return {};
  return std::string_view(reinterpret_cast<const char*>(input.Data), input.Size);
}

std::string GatheredText(std::string_view kept, std::string_view text) {
  std::string content(kept);
  const std::string_view separator = PacketTextSeparator;
  const bool endsWithSeparator = content.size() >= separator.size() &&
                                 content.compare(content.size() - separator.size(), separator.size(), separator) == 0;
  if (content.size() > separator.size() && !endsWithSeparator) content += separator;
  content += text;
  return content;
}

}  // namespace

void SendValues(TkroPlugin& plugin, uint32_t dataSourceId, uint32_t connectionKey, TParsedDataList& list) {
  const TSendDataEx send = plugin.HostFunctions.SendDataEx;
  if (send == nullptr) return;
  TPluginCallRecord record{};
  record.Size = CallRecordSize;
  record.Flags = FlagBuiltByPlugin;
  const std::string& text = list.PacketText();
  if (!text.empty()) {
    record.Input.Kind = DataKindTextBuffer;
    record.Input.Data = reinterpret_cast<uintptr_t>(text.data());
    record.Input.Size = static_cast<uint32_t>(text.size());
  }
  TBorrowedListIntf intf(list);
  record.Output.Kind = DataKindListIntf;
  record.Output.Data = reinterpret_cast<uintptr_t>(intf.Var());
  send(plugin.ModuleIndex, dataSourceId, connectionKey, 0, DataKindListIntf, reinterpret_cast<uintptr_t>(&record), 0);
}

int32_t SendBytes(TkroPlugin& plugin, uint32_t dataSourceId, uint32_t connectionKey, const void* data, size_t length) {
  return Send(plugin, dataSourceId, connectionKey, DataKindSendBytes, reinterpret_cast<uintptr_t>(data),
              static_cast<uint32_t>(length));
}

int32_t SendText(TkroPlugin& plugin, uint32_t dataSourceId, uint32_t connectionKey, std::string_view text) {
  if (text.empty()) return -1;
  // The host reads a zero-terminated copy.
  const std::string copy(text);
  return Send(plugin, dataSourceId, connectionKey, DataKindSendText, reinterpret_cast<uintptr_t>(copy.c_str()),
              static_cast<uint32_t>(copy.size()));
}

void ReturnValuesInCall(TkroPlugin& plugin, TPluginCallRecord& record, TParsedDataList& list,
                        std::string_view packetText, bool append) {
  IkroParamsListA* output = BlockList(record.Output);
  if (output == nullptr) return;
  ReturnPacketInCall(plugin, record, packetText, append);
  if (!append) output->Clear();
  TBorrowedListIntf source(list);
  CopyToIntf(*source.Var(), output, 0, -1);
}

void ReturnPacketInCall(TkroPlugin& plugin, TPluginCallRecord& record, std::string_view packetText, bool append) {
  if (!packetText.empty()) {
    const std::string content = append ? GatheredText(InputText(record.Input), packetText) : std::string(packetText);
    char* buffer = plugin.NewPacketTextBuffer(content.size());
    std::memcpy(buffer, content.data(), content.size());
    record.Input.Kind = DataKindTextBuffer;
    record.Input.Data = reinterpret_cast<uintptr_t>(buffer);
    record.Input.Size = static_cast<uint32_t>(content.size());
  }
  ++record.Output.Count;
}

TkroParamsList* OwnOutputList(const TPluginCallRecord& record) {
  const TkroParamsListWrap* own = TkroParamsListWrap::OwnWrapperOf(BlockList(record.Output));
  return own != nullptr ? &own->List() : nullptr;
}

}  // namespace cjt
