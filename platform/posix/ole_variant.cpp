// Strings and variant storage: a string is malloc'ed as its 32-bit byte length, the UTF-16
// characters and a 16-bit zero, and is addressed at its first character, so that a host in
// the same process can make and free one with the same rule.
#include "platform/ole_variant.h"

#include <cstdlib>
#include <cstring>

namespace cjt::platform {

namespace {

constexpr size_t PrefixSize = sizeof(uint32_t);

}  // namespace

TBStr SysAllocStringLen(const TOleChar* text, uint32_t length) {
  const size_t bytes = static_cast<size_t>(length) * sizeof(TOleChar);
  if (bytes > UINT32_MAX - PrefixSize - sizeof(TOleChar)) return nullptr;
  auto* block = static_cast<unsigned char*>(std::malloc(PrefixSize + bytes + sizeof(TOleChar)));
  if (block == nullptr) return nullptr;
  const auto byteLength = static_cast<uint32_t>(bytes);
  std::memcpy(block, &byteLength, PrefixSize);
  auto* chars = reinterpret_cast<TOleChar*>(block + PrefixSize);
  if (text != nullptr)
    std::memcpy(chars, text, bytes);
  else
    std::memset(chars, 0, bytes);
  chars[length] = 0;
  return chars;
}

void SysFreeString(TBStr text) {
  if (text != nullptr) std::free(reinterpret_cast<unsigned char*>(text) - PrefixSize);
}

uint32_t SysStringLen(TBStr text) {
  if (text == nullptr) return 0;
  uint32_t byteLength;
  std::memcpy(&byteLength, reinterpret_cast<unsigned char*>(text) - PrefixSize, PrefixSize);
  return byteLength / sizeof(TOleChar);
}

void VariantInit(TOleVariant* value) { std::memset(value, 0, sizeof(TOleVariant)); }

THResult VariantClear(TOleVariant* value) {
  if (value == nullptr) return HrInvalidArg;
  if (value->Vt == VtBStr) SysFreeString(value->BStrVal);
  VariantInit(value);
  return HrOk;
}

THResult VariantCopy(TOleVariant* destination, const TOleVariant* source) {
  if (destination == nullptr || source == nullptr) return HrInvalidArg;
  if (destination == source) return HrOk;
  if (source->Vt != VtBStr && !IsPlainValue(source->Vt)) return HrBadVarType;
  VariantClear(destination);
  TOleVariant copy = *source;
  if (source->Vt == VtBStr && source->BStrVal != nullptr) {
    copy.BStrVal = SysAllocStringLen(source->BStrVal, SysStringLen(source->BStrVal));
    if (copy.BStrVal == nullptr) return HrOutOfMemory;
  }
  *destination = copy;
  return HrOk;
}

}  // namespace cjt::platform
