// The call context: for the duration of one exported call it gives every parameter list
// that the host passed, whether as a raw list object or as an interface, as an interface,
// and it puts the call record back as it was on every way out.
#pragma once

#include "params/intf_ref.h"
#include "params/params_list_intf.h"
#include "plugin/call_record.h"

namespace cjt {

class TCallContext {
 public:
  explicit TCallContext(TPluginCallRecord& record);
  ~TCallContext();
  TCallContext(const TCallContext&) = delete;
  TCallContext& operator=(const TCallContext&) = delete;

  // The parameter list of the call, or null when the host gave none.
  IkroParamsListA* Params() const { return ParamsRef.Get(); }

 private:
  // A data block's list, wrapped for the call: the block refers to Var meanwhile.
  struct THeldBlock {
    TIntfRef<IkroParamsListA> Ref;
    IkroParamsListA* Var = nullptr;
  };

  void TakeParams();
  void Restore();
  void WrapBlock(TPluginDataBlock& block, THeldBlock& held);
  static void RestoreBlock(TPluginDataBlock& block, const TPluginDataBlock& saved, const THeldBlock& held);

  TPluginCallRecord& Record;
  const TPluginCallRecord Saved;
  TIntfRef<IkroParamsListA> ParamsRef;
  IkroParamsListA* ParamsVar = nullptr;
  bool ParamsReplaced = false;
  THeldBlock Input;
  THeldBlock Output;
};

// The parameter list of a record inside its call context, or null.
IkroParamsListA* ParamsOf(const TPluginCallRecord& record);

// The list interface of a data block: a wrapped list (kind 9, during a call) or none.
IkroParamsListA* BlockList(const TPluginDataBlock& block);

}  // namespace cjt
