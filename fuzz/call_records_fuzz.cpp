// Call records and parameter lists through the exported functions, as any host might fill
// them: every line of the input is one call, with its parameter list as a list object, as
// either list interface, as a variable holding none, as a block that is no list, or absent,
// and with data blocks of any kind. One instance per input, freed at the end; timers run
// only on a manual clock, and the settings store cannot be written (see host_calls.h).
//
// A line is fields separated by "|": the call (C command, P ProcessData, L GetLogEx,
// M GetModuleInfo, O GetOptionsDialog, S ShowOptionsDialog, T the clock runs 100 ms), the
// Params form (O object, A 8-bit interface, W UTF-16 interface, Z variable holding none,
// B no list, N none), Mode, Input kind, Input size, Output kind, then the arguments as
// NAME=VALUE (a number when it reads as one, else text; a NAME alone is null).
#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/host_calls.h"
#include "params/borrowed_list_intf.h"
#include "platform/module.h"

namespace {

using namespace cjt;

constexpr size_t BufferSize = 4096;

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (size_t from = 0;;) {
    const size_t at = text.find(separator, from);
    parts.push_back(text.substr(from, at == std::string_view::npos ? std::string_view::npos : at - from));
    if (at == std::string_view::npos) return parts;
    from = at + 1;
  }
}

int64_t Number(std::string_view text, int64_t fallback = 0) {
  int64_t value = fallback;
  const int base = text.starts_with("0x") ? 16 : 10;
  if (base == 16) text.remove_prefix(2);
  std::from_chars(text.data(), text.data() + text.size(), value, base);
  return value;
}

bool IsNumber(std::string_view text) {
  if (text.starts_with('-')) text.remove_prefix(1);
  return !text.empty() && text.size() < 18 && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// What a host may not pass at random: the module handle is the program's (its exports are
// looked up in it), and an INI file is one of two in a folder that does not exist.
// Names are matched without case, as the list matches them.
TVariant ArgumentValue(std::string_view name, std::string_view text) {
  std::string upper(name);
  std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
  if (upper == "HANDLE") return TVariant(static_cast<int64_t>(platform::ProgramHandle()));
  if (upper == "INI-FILE")
    return TVariant(text.size() % 2 ? "/nonexistent/cjt188-fuzz/a.ini" : "/nonexistent/cjt188-fuzz/b.ini");
  if (IsNumber(text)) return TVariant(Number(text));
  return TVariant(std::string(text));
}

// One call's lists and buffers, kept by the host for the call.
struct TCallData {
  TkroParamsList Params, InputList, OutputList;
  TBorrowedListIntf ParamsIntf{Params}, InputIntf{InputList}, OutputIntf{OutputList};
  IUnknownIntf* ParamsVar = nullptr;
  IUnknownIntf* InputVar = nullptr;
  IUnknownIntf* OutputVar = nullptr;
  std::array<uint64_t, 16> NoList{};
  std::array<char, BufferSize> Input{}, Output{};
  bool Wide = false;

  ~TCallData() {
    for (IUnknownIntf* held : {ParamsVar, InputVar, OutputVar})
      if (held != nullptr) held->Release();
  }

  // A variable holding the chosen interface of a wrapper, counted.
  IUnknownIntf* Reference(IkroParamsListA* intf) {
    void* reference = nullptr;
    intf->QueryInterface(Wide ? IID_IkroParamsListW : IID_IkroParamsListA, &reference);
    return static_cast<IUnknownIntf*>(reference);
  }

  uintptr_t ParamsOf(char form) {
    Wide = form == 'W';
    switch (form) {
      case 'O':
        return reinterpret_cast<uintptr_t>(&Params);
      case 'A':
      case 'W':
        ParamsVar = Reference(ParamsIntf.Get());
        return reinterpret_cast<uintptr_t>(&ParamsVar);
      case 'Z':
        return reinterpret_cast<uintptr_t>(&NoList[8]);  // zeros: a variable holding none
      case 'B':
        return reinterpret_cast<uintptr_t>(NoList.data());
      default:
        return 0;
    }
  }

  // The block of a kind: a list where it holds a list, the buffer where it holds an address
  // (always for buffers the export writes into), a number where it holds a value.
  TPluginDataBlock Block(uint8_t kind, uint32_t size, TkroParamsList& list, IkroParamsListA* intf,
                         IUnknownIntf*& variable, std::array<char, BufferSize>& buffer, bool alwaysBuffer) {
    if (alwaysBuffer) return {0, size, kind, reinterpret_cast<uintptr_t>(buffer.data())};
    switch (kind) {
      case DataKindListObject:
      case DataKindWrapList:
        return {0, size, kind, reinterpret_cast<uintptr_t>(&list)};
      case DataKindListIntf:
        variable = Reference(intf);
        return {0, size, kind, reinterpret_cast<uintptr_t>(&variable)};
      case DataKindNumber:
      case DataKindRelease:
      case DataKindConnection:
        return {0, size, kind, 0x100u + size};
      default:
        return {0, size, kind, reinterpret_cast<uintptr_t>(buffer.data())};
    }
  }
};

void Call(uintptr_t instance, std::string_view line, platform::TManualClock& clock) {
  const std::vector<std::string_view> fields = Split(line, '|');
  auto field = [&](size_t i) { return i < fields.size() ? fields[i] : std::string_view(); };
  const char call = field(0).empty() ? 'C' : field(0)[0];
  if (call == 'T') {
    fuzz::RunClock(clock, 100);
    return;
  }
  TCallData data;
  for (size_t i = 6; i < fields.size(); ++i) {
    const size_t equals = fields[i].find('=');
    const std::string_view name = fields[i].substr(0, equals);
    const TVariant value =
        equals == std::string_view::npos ? TVariant::Null() : ArgumentValue(name, fields[i].substr(equals + 1));
    data.Params.Add(std::string(name), value);
    data.InputList.Add(std::string(name), value);
  }
  // Buffers the export writes into stay zero: whatever kind the block claims, a list read
  // from them finds none. Received bytes are the line itself.
  const bool writesInput = call == 'L' || call == 'O';
  if (!writesInput) std::memcpy(data.Input.data(), line.data(), std::min(line.size(), BufferSize));
  TPluginCallRecord record = fuzz::NewRecord(instance);
  record.Params = data.ParamsOf(field(1).empty() ? 'O' : field(1)[0]);
  record.Mode = static_cast<uint8_t>(Number(field(2)));
  record.DataSourceId = 1;
  std::strcpy(record.DataSourceName, "COM1");
  const auto inputSize = static_cast<uint32_t>(std::min<int64_t>(Number(field(4)) & 0xFFFF, BufferSize));
  record.Input = data.Block(static_cast<uint8_t>(Number(field(3))), inputSize, data.InputList, data.InputIntf.Get(),
                            data.InputVar, data.Input, writesInput);
  record.Output = data.Block(static_cast<uint8_t>(Number(field(5))), 0, data.OutputList, data.OutputIntf.Get(),
                             data.OutputVar, data.Output, false);
  uint32_t needed = 0;
  std::memcpy(data.Output.data(), &inputSize, sizeof inputSize);  // the size of a module-information block
  switch (call) {
    case 'P':
      ProcessData(&record);
      break;
    case 'L':
      GetLogEx(&record);
      break;
    case 'M':
      GetModuleInfo(&record, data.Output.data(), &needed);
      break;
    case 'O':
      GetOptionsDialog(&record);
      break;
    case 'S':
      ShowOptionsDialog(&record);
      break;
    default:
      ExecutePluginCommand(&record);
      break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::SetUpHost();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  platform::TManualClock clock;
  const uintptr_t instance = fuzz::CreateInstance();
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (std::string_view line : Split(text, '\n')) Call(instance, line, clock);
  fuzz::FreeInstance(instance);
  return 0;
}
