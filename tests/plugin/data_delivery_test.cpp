// Values, bytes and texts handed to the host's send function.
#include "plugin/data_delivery.h"

#include <gtest/gtest.h>

#include <string>

#include "plugin/call_context.h"
#include "plugin/kro_plugin.h"

namespace cjt {
namespace {

struct TSeen {
  uint32_t Kind = 0, Count = 0, ModuleIndex = 0;
  TPluginDataBlock Input{};
  int32_t Values = -1;
  std::string Bytes;
} Seen;

int32_t CJT_STDCALL RecordingSend(uint32_t moduleIndex, uint32_t, uint32_t, uint32_t, uint32_t kind, uintptr_t address,
                                  uint32_t count) {
  Seen = TSeen{};
  Seen.Kind = kind;
  Seen.Count = count;
  Seen.ModuleIndex = moduleIndex;
  if (kind == DataKindListIntf) {
    const auto* record = reinterpret_cast<const TPluginCallRecord*>(address);
    Seen.Input = record->Input;
    Seen.Values = BlockList(record->Output)->Count();
  } else {
    Seen.Bytes.assign(reinterpret_cast<const char*>(address), count);
  }
  return 42;
}

TEST(DataDelivery, NothingGoesWithoutASendFunction) {
  TkroPlugin plugin(0, nullptr);
  TParsedDataList list;
  SendValues(plugin, 1, 2, list);
  EXPECT_EQ(SendBytes(plugin, 1, 2, "ab", 2), -1);
  EXPECT_EQ(SendText(plugin, 1, 2, "<<CLOSE>>"), -1);
}

TEST(DataDelivery, ValuesBytesAndTextReachTheSendFunction) {
  TkroPlugin plugin(0, nullptr);
  plugin.HostFunctions.SendDataEx = &RecordingSend;
  plugin.ModuleIndex = 9;
  TParsedDataList list;
  list.Add("FLOW", TVariant(1.25));
  SendValues(plugin, 1, 2, list);
  EXPECT_EQ(Seen.Kind, DataKindListIntf);
  EXPECT_EQ(Seen.ModuleIndex, 9u);
  EXPECT_EQ(Seen.Values, 1);
  EXPECT_EQ(+Seen.Input.Kind, 0);  // no packet text: an all-zero Input block
  EXPECT_EQ(+Seen.Input.Data, 0u);

  list.AppendPacketText("68 10 AA");
  SendValues(plugin, 1, 2, list);
  EXPECT_EQ(+Seen.Input.Kind, DataKindTextBuffer);
  EXPECT_EQ(+Seen.Input.Size, 8u);

  EXPECT_EQ(SendBytes(plugin, 1, 2, "\xFE\x68", 2), 42);
  EXPECT_EQ(Seen.Kind, DataKindSendBytes);
  EXPECT_EQ(Seen.Bytes, "\xFE\x68");
  EXPECT_EQ(SendText(plugin, 1, 2, ""), -1);
  EXPECT_EQ(SendText(plugin, 1, 2, "<<CLOSE>>"), 42);
  EXPECT_EQ(Seen.Kind, DataKindSendText);
  EXPECT_EQ(Seen.Bytes, "<<CLOSE>>");
}

// This test program exports the host's functions, like a host.
TEST(HostFunctions, FoundByNameInTheHostProgram) {
  THostFunctions functions;
  functions.Resolve(platform::ProgramHandle());
  EXPECT_NE(functions.SendDataEx.load(), nullptr);
  EXPECT_NE(functions.PostHostMessage.load(), nullptr);
  EXPECT_EQ(functions.ManageDynForm.load(), nullptr);  // missing ones stay unresolved
  functions.Resolve(0);
  EXPECT_EQ(functions.SendDataEx.load(), nullptr);
}

}  // namespace
}  // namespace cjt
