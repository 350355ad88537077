// How a call context presents the host's lists and puts the record back.
#include "plugin/call_context.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "params/borrowed_list_intf.h"
#include "params/intf_ref.h"
#include "params/kro_params_list.h"
#include "tests/common/foreign_list.h"

namespace cjt {
namespace {

TEST(CallContext, RawListsAreWrappedForTheCallAndGivenBack) {
  TkroParamsList params, output;
  params.Add("COMMAND", TVariant("ITEMS"));
  TPluginCallRecord record{};
  record.Params = reinterpret_cast<uintptr_t>(&params);
  record.Output = {0, 0, DataKindListObject, reinterpret_cast<uintptr_t>(&output)};
  {
    TCallContext context(record);
    ASSERT_NE(context.Params(), nullptr);
    EXPECT_EQ(ParamsOf(record), context.Params());
    EXPECT_EQ(context.Params()->Count(), 1);
    EXPECT_EQ(+record.Flags, 0);
    EXPECT_EQ(+record.Output.Kind, DataKindListIntf);
    TIntfRef<IkroParamsListItemW> item;
    BlockList(record.Output)->Add("V", TVariant(int32_t{7}).Raw(), item.Receive());
  }
  EXPECT_EQ(+record.Params, reinterpret_cast<uintptr_t>(&params));
  EXPECT_EQ(+record.Output.Kind, DataKindListObject);
  EXPECT_EQ(+record.Output.Data, reinterpret_cast<uintptr_t>(&output));
  EXPECT_EQ(output.GetValue("V").AsInteger(), 7);
}

TEST(CallContext, InterfaceVariableSetsTheFlagOnlyDuringTheCall) {
  TkroParamsList params;
  params.Add("A", TVariant(int32_t{1}));
  TBorrowedListIntf intf(params);
  struct {
    IkroParamsListA* Intf;
    uint32_t Zero[8];
  } variable{intf.Get(), {}};
  TPluginCallRecord record{};
  record.Flags = 0x01;
  record.Params = reinterpret_cast<uintptr_t>(&variable);
  {
    TCallContext context(record);
    EXPECT_EQ(+record.Flags, 0x41);
    EXPECT_EQ(context.Params()->Count(), 1);
  }
  EXPECT_EQ(+record.Flags, 0x01);
  EXPECT_EQ(+record.Params, reinterpret_cast<uintptr_t>(&variable));
}

TEST(CallContext, BlocksThatAreNoListsStayAsTheyAre) {
  uint64_t notAList[16] = {};
  const char bytes[] = "68 10";
  TPluginCallRecord record{};
  record.Input = {0, 5, DataKindSendBytes, reinterpret_cast<uintptr_t>(bytes)};
  record.Output = {0, 0, DataKindWrapList, reinterpret_cast<uintptr_t>(notAList)};
  TCallContext context(record);
  EXPECT_EQ(context.Params(), nullptr);
  EXPECT_EQ(+record.Input.Kind, DataKindSendBytes);
  EXPECT_EQ(+record.Output.Kind, DataKindWrapList);  // no list signature: never read as a list
  EXPECT_EQ(BlockList(record.Output), nullptr);
}

// A block of kind 9 may hold either interface of a host's own list: the call is given the
// 8-bit one, asked of the object; an object that answers none fails the call.
TEST(CallContext, HostListInterfacesInBlocksAreAskedForTheOneTheCallUses) {
  test_support::TForeignList input, output;
  input.Add("Flow", TVariant(2.5));
  HostList* inputVar = input.RefW();
  HostList* outputVar = output.RefW();
  TPluginCallRecord record{};
  record.Input = {0, 0, DataKindListIntf, reinterpret_cast<uintptr_t>(&inputVar)};
  record.Output = {0, 0, DataKindListIntf, reinterpret_cast<uintptr_t>(&outputVar)};
  {
    TCallContext context(record);
    // Called as the host's own tables see it: the object is no C++ object of ours.
    HostList* in = reinterpret_cast<HostList*>(BlockList(record.Input));
    HostList* out = reinterpret_cast<HostList*>(BlockList(record.Output));
    EXPECT_EQ(ListA(in)->Count(in), 1);
    HostItem* item = nullptr;
    ASSERT_EQ(ListA(out)->Add(out, "Energy", TVariant(int32_t{7}).Raw(), &item), 0);
  }
  EXPECT_EQ(+record.Output.Data, reinterpret_cast<uintptr_t>(&outputVar));
  ASSERT_EQ(output.Count(), 1u);
  EXPECT_EQ(output.Name(0), "Energy");

  output.AnswersLists = false;
  EXPECT_THROW(TCallContext context(record), std::invalid_argument);
  EXPECT_EQ(+record.Input.Data, reinterpret_cast<uintptr_t>(&inputVar));
}

}  // namespace
}  // namespace cjt
