// Received bytes through the exported functions, as a host hands them over: cut into blocks
// of every Input kind and Mode, on several connections, while polled requests to a heat, a
// water and a gas meter are pending, so that answers are matched and decoded and time-outs,
// retries and failure reports run too. One fresh instance per input, on a manual clock; its
// timers run only when the target pumps them, so a run depends on the input alone.
//
// Input: blocks, each a control byte, a Mode byte, a length byte and that many bytes from the
// line (fewer at the end). Control bits 0-1: the connection; bits 2-5: the Input kind;
// bit 6: the Output block is an interface variable (UTF-16 interface) instead of a list
// object; bit 7: the clock runs 250 ms (timers fire) before the block.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fuzz/host_calls.h"
#include "params/borrowed_list_intf.h"
#include "platform/module.h"

namespace {

using namespace cjt;

constexpr uint64_t StartTick = 5000000;
constexpr double StartDateTime = 46000.5;
constexpr uint64_t StepMs = 250;
constexpr uint8_t Kinds[16] = {0x81, 0x81, 0x81, 0x81, 2, 2, 2, 7, 0, 1, 8, 9, 4, 5, 6, 0x82};
const std::string IniFile = CJT_FUZZ_DIR "/data_path_fuzz.ini";

// LOAD with the configuration, SET-STATE for two data sources.
uintptr_t StartInstance() {
  const uintptr_t instance = fuzz::CreateInstance();
  fuzz::Command(
      instance, "LOAD",
      {{"INI-FILE", TVariant(IniFile)}, {"HANDLE", TVariant(static_cast<int64_t>(platform::ProgramHandle()))}});
  fuzz::Command(instance, "SET-STATE",
                {{"DATA-SOURCES-IN-CFG", TVariant("1;COM1;Port 1\r\n2;COM2;Port 2")}, {"RESULT", TVariant(1)}}, 0x03);
  return instance;
}

// The same INI file at UNLOAD: nothing is saved.
void StopInstance(uintptr_t instance) {
  fuzz::Command(instance, "UNLOAD", {{"INI-FILE", TVariant(IniFile)}});
  fuzz::FreeInstance(instance);
}

// The Input block of a kind: bytes where the kind holds an address of bytes, a list where
// it holds a list, a number or an event code where it holds a value.
TPluginDataBlock InputBlock(uint8_t kind, const uint8_t* bytes, size_t count, TkroParamsList& list,
                            IkroParamsListA** variable) {
  const auto size = static_cast<uint32_t>(count);
  switch (kind) {
    case DataKindConnection:
      return {0, 0, kind, 256u + (count > 0 ? bytes[0] & 3u : 1u)};
    case DataKindListObject:
    case DataKindWrapList:
      return {0, size, kind, reinterpret_cast<uintptr_t>(&list)};
    case DataKindListIntf:
      return {0, size, kind, reinterpret_cast<uintptr_t>(variable)};
    case DataKindNumber:
    case DataKindRelease:
      return {0, size, kind, 0x1000u + size};
    default:
      return {0, size, kind, count > 0 ? reinterpret_cast<uintptr_t>(bytes) : 0u};
  }
}

void Feed(uintptr_t instance, uint8_t control, uint8_t mode, const uint8_t* bytes, size_t count) {
  TkroParamsList params, output, input;
  input.Add("RAW", TVariant(std::string(reinterpret_cast<const char*>(bytes), count)));
  TBorrowedListIntf inputIntf(input), outputIntf(output);
  void* outputW = nullptr;
  outputIntf.Get()->QueryInterface(IID_IkroParamsListW, &outputW);
  TPluginCallRecord record = fuzz::NewRecord(instance);
  record.DataSourceId = 1;
  record.ConnectionKey = control & 3u;
  record.Mode = mode;
  record.Params = reinterpret_cast<uintptr_t>(&params);
  std::strcpy(record.DataSourceName, "COM1");
  record.Input = InputBlock(Kinds[(control >> 2) & 15], bytes, count, input, inputIntf.Var());
  if (control & 0x40)
    record.Output = {0, 0, DataKindListIntf, reinterpret_cast<uintptr_t>(&outputW)};
  else
    record.Output = {0, 0, DataKindListObject, reinterpret_cast<uintptr_t>(&output)};
  ProcessData(&record);
  static_cast<IkroParamsListW*>(outputW)->Release();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::SetUpHost();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  platform::TManualClock clock(StartTick, StartDateTime);
  const uintptr_t instance = StartInstance();
  fuzz::RunClock(clock, 100);  // the first requests go out and wait for their answers
  for (size_t at = 0; at + 3 <= size;) {
    const uint8_t control = data[at];
    const uint8_t mode = data[at + 1];
    const size_t length = data[at + 2];
    at += 3;
    const size_t count = size - at < length ? size - at : length;
    if (control & 0x80) fuzz::RunClock(clock, StepMs);
    Feed(instance, control, mode, data + at, count);
    at += count;
  }
  StopInstance(instance);
  return 0;
}
