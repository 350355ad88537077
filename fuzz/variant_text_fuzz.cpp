// Any text converts to every variant type the plug-in uses or is refused with
// EVariantError; what converts, converts back to text.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "params/variant.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace cjt;
  const TVariant text(std::string_view(reinterpret_cast<const char*>(data), size));
  static const uint16_t Types[] = {
      platform::VtEmpty,  platform::VtNull,     platform::VtSmallint, platform::VtInteger, platform::VtSingle,
      platform::VtDouble, platform::VtCurrency, platform::VtDate,     platform::VtBoolean, platform::VtShortInt,
      platform::VtByte,   platform::VtWord,     platform::VtLongWord, platform::VtInt64};
  for (const uint16_t type : Types) {
    try {
      const TVariant converted = text.ChangedTo(type);
      if (converted.Type() != type) __builtin_trap();
      converted.AsWideString();
    } catch (const EVariantError&) {
    }
  }
  return 0;
}
