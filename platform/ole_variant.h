// OLE automation values as they cross the library boundary: the 16-byte variant (24 bytes on
// 64-bit targets), the length-prefixed UTF-16 string and the type conversions between them.
// On Windows these are the system's own (oleaut32); elsewhere a binary-compatible layer of
// our own, whose strings a host in the same process can make and free too.
#pragma once

#include <cstdint>
#include <string_view>

namespace cjt::platform {

using TOleChar = char16_t;
using TBStr = TOleChar*;
using THResult = int32_t;

// Variant type codes the plug-in stores and converts. 0x0100 and 0x0102 are the 8-bit and
// the UTF-16 string types of hosts that pass plain zero-terminated text in a variant.
enum TVarType : uint16_t {
  VtEmpty = 0,
  VtNull = 1,
  VtSmallint = 2,
  VtInteger = 3,
  VtSingle = 4,
  VtDouble = 5,
  VtCurrency = 6,
  VtDate = 7,
  VtBStr = 8,
  VtError = 10,
  VtBoolean = 11,
  VtShortInt = 16,
  VtByte = 17,
  VtWord = 18,
  VtLongWord = 19,
  VtInt64 = 20,
  VtString = 0x0100,
  VtUString = 0x0102,
};

constexpr int16_t VariantTrue = -1;
constexpr int16_t VariantFalse = 0;

constexpr THResult HrOk = 0;
constexpr THResult HrTypeMismatch = static_cast<THResult>(0x80020005);
constexpr THResult HrBadVarType = static_cast<THResult>(0x80020008);
constexpr THResult HrOverflow = static_cast<THResult>(0x8002000A);
constexpr THResult HrOutOfMemory = static_cast<THResult>(0x8007000E);
constexpr THResult HrInvalidArg = static_cast<THResult>(0x80070057);

// The OLE VARIANT: type, three reserved words and an 8-byte (two pointers wide) value.
struct TOleVariant {
  uint16_t Vt;
  uint16_t Reserved1;
  uint16_t Reserved2;
  uint16_t Reserved3;
  union {
    int64_t Int64Val;
    int32_t IntegerVal;
    uint8_t ByteVal;
    int16_t SmallintVal;
    float SingleVal;
    double DoubleVal;
    int16_t BooleanVal;
    int32_t ErrorVal;
    int64_t CurrencyVal;  // value times 10000
    double DateVal;
    TBStr BStrVal;
    int8_t ShortIntVal;
    uint16_t WordVal;
    uint32_t LongWordVal;
    const char* StringVal;       // VtString: zero-terminated 8-bit text
    const char16_t* UStringVal;  // VtUString: zero-terminated UTF-16 text
    struct {
      void* Record;
      void* RecordInfo;
    } RecordVal;
  };
};
static_assert(sizeof(TOleVariant) == (sizeof(void*) == 4 ? 16 : 24));

// Strings: the characters are preceded by their 32-bit byte length and followed by a zero.
TBStr SysAllocStringLen(const TOleChar* text, uint32_t length);
void SysFreeString(TBStr text);
uint32_t SysStringLen(TBStr text);
inline TBStr SysAllocString(std::u16string_view text) {
  return SysAllocStringLen(text.data(), static_cast<uint32_t>(text.size()));
}

// Variants: the same contract as the OLE functions of these names. Clear frees what the
// variant owns and leaves it empty; Copy clears the destination first; ChangeType converts
// between the types above (source and destination may be the same variant).
void VariantInit(TOleVariant* value);
THResult VariantClear(TOleVariant* value);
THResult VariantCopy(TOleVariant* destination, const TOleVariant* source);
THResult VariantChangeType(TOleVariant* destination, const TOleVariant* source, uint16_t type);

}  // namespace cjt::platform
