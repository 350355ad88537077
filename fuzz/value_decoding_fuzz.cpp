// Every value-item row decodes any bytes, of any length, without a crash, consuming no
// more than it was given.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "cjt188/cjt188_types.h"
#include "cjt188/value_decoding.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  for (const cjt::TRequestFuncType& row : cjt::RequestFuncTypes()) {
    const cjt::TDecodedValue value = cjt::DecodeValue(row, bytes);
    if (value.Consumed > size) std::abort();
  }
  for (int decimals = 0; decimals < 8; ++decimals) cjt::DecodeBcd(bytes, size, decimals);
  cjt::DecodeBcdInteger(bytes, size);
  return 0;
}
