#include "plugin/call_context.h"

#include <cstring>
#include <stdexcept>
#include <string>

#include "params/borrowed_list_intf.h"
#include "params/copy_to_intf.h"

namespace cjt {

namespace {

void Hold(TIntfRef<IkroParamsListA>& ref, IkroParamsListA* counted) { *ref.Receive() = counted; }

// The host's variable may hold either list interface, of our making or of its own; the call
// uses only the 8-bit one, which the referenced object is asked for. Null when the variable
// holds none.
void HoldListIntf(TIntfRef<IkroParamsListA>& ref, uintptr_t variable, const char* what) {
  IUnknownIntf* given;
  std::memcpy(&given, reinterpret_cast<const void*>(variable), sizeof given);
  if (given == nullptr) return;
  if (given->QueryInterface(IID_IkroParamsListA, reinterpret_cast<void**>(ref.Receive())) != 0 || !ref)
    throw std::invalid_argument(std::string(what) + " has no list interface");
}

}  // namespace

TCallContext::TCallContext(TPluginCallRecord& record) : Record(record), Saved(record) {
  try {
    TakeParams();
    WrapBlock(Record.Input, Input);
    WrapBlock(Record.Output, Output);
  } catch (...) {
    Restore();
    throw;
  }
}

void TCallContext::TakeParams() {
  if (Record.Params == 0) return;
  void* params = reinterpret_cast<void*>(Record.Params);
  if (TkroParamsList* list = AsParamsListObject(params)) {
    Hold(ParamsRef, NewBorrowedListIntf(*list));
    ParamsVar = ParamsRef.Get();
    Record.Params = reinterpret_cast<uintptr_t>(&ParamsVar);
    ParamsReplaced = true;
    return;
  }
  // Otherwise Params addresses a variable that holds an interface.
  Record.Flags |= FlagParamsWereIntf;
  HoldListIntf(ParamsRef, Record.Params, "The parameter list of the call");
  if (!ParamsRef) return;
  ParamsVar = ParamsRef.Get();
  Record.Params = reinterpret_cast<uintptr_t>(&ParamsVar);
  ParamsReplaced = true;
}

// A block refers to a raw list of kind 1 (when it carries the list signature) or kind 8;
// kind 8 without the signature is left alone, since wrapping anything else would read
// foreign memory as a list. A block of kind 9 refers to the host's interface variable: the
// call gets the 8-bit interface of the object it holds.
void TCallContext::WrapBlock(TPluginDataBlock& block, THeldBlock& held) {
  if (block.Kind == DataKindListIntf && block.Data != 0) {
    HoldListIntf(held.Ref, block.Data, "The list of a data block");
  } else if (block.Kind == DataKindListObject || block.Kind == DataKindWrapList) {
    TkroParamsList* list = AsParamsListObject(reinterpret_cast<void*>(block.Data));
    if (list != nullptr) Hold(held.Ref, NewBorrowedListIntf(*list));
  }
  if (!held.Ref) return;
  held.Var = held.Ref.Get();
  block.Kind = DataKindListIntf;
  block.Data = reinterpret_cast<uintptr_t>(&held.Var);
}

// A block that still refers to the context's interface variable gets its list back, so
// the host never finds an address that dies with the context; a block that the call has
// changed since keeps the change.
void TCallContext::RestoreBlock(TPluginDataBlock& block, const TPluginDataBlock& saved, const THeldBlock& held) {
  if (held.Ref && block.Kind == DataKindListIntf && block.Data == reinterpret_cast<uintptr_t>(&held.Var)) {
    block.Kind = saved.Kind;
    block.Data = saved.Data;
  }
}

TCallContext::~TCallContext() { Restore(); }

void TCallContext::Restore() {
  Record.Flags = Saved.Flags;
  if (ParamsReplaced) Record.Params = Saved.Params;
  RestoreBlock(Record.Input, Saved.Input, Input);
  RestoreBlock(Record.Output, Saved.Output, Output);
}

IkroParamsListA* ParamsOf(const TPluginCallRecord& record) {
  if (record.Params == 0) return nullptr;
  IkroParamsListA* intf;
  std::memcpy(&intf, reinterpret_cast<const void*>(record.Params), sizeof intf);
  return intf;
}

IkroParamsListA* BlockList(const TPluginDataBlock& block) {
  if (block.Kind != DataKindListIntf || block.Data == 0) return nullptr;
  IkroParamsListA* intf;
  std::memcpy(&intf, reinterpret_cast<const void*>(block.Data), sizeof intf);
  return intf;
}

}  // namespace cjt
