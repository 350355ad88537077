// OLE automation values as they cross the library boundary: the variant and the
// length-prefixed UTF-16 string of the public header, and the type conversions between them.
// On Windows these are the system's own (oleaut32); elsewhere a binary-compatible layer of
// our own, whose strings a host in the same process can make and free too.
#pragma once

#include <cstdint>
#include <string_view>

#include "cjt188/host_abi.h"

namespace cjt::platform {

using TOleChar = ::CjtOleChar;
using TBStr = ::CjtBStr;
using THResult = ::CjtHResult;
using TOleVariant = ::CjtVariant;

// Variant type codes the plug-in stores and converts. 0x0100 and 0x0102 are the 8-bit and
// the UTF-16 string types of hosts that pass plain zero-terminated text in a variant.
enum TVarType : uint16_t {
  VtEmpty = CJT_VT_EMPTY,
  VtNull = CJT_VT_NULL,
  VtSmallint = CJT_VT_SMALLINT,
  VtInteger = CJT_VT_INTEGER,
  VtSingle = CJT_VT_SINGLE,
  VtDouble = CJT_VT_DOUBLE,
  VtCurrency = CJT_VT_CURRENCY,
  VtDate = CJT_VT_DATE,
  VtBStr = CJT_VT_BSTR,
  VtError = CJT_VT_ERROR,
  VtBoolean = CJT_VT_BOOLEAN,
  VtShortInt = CJT_VT_SHORTINT,
  VtByte = CJT_VT_BYTE,
  VtWord = CJT_VT_WORD,
  VtLongWord = CJT_VT_LONGWORD,
  VtInt64 = CJT_VT_INT64,
  VtString = CJT_VT_STRING,
  VtUString = CJT_VT_USTRING,
};

// Whether a variant of this type holds its whole value in itself: copying it copies its bytes,
// and clearing it frees nothing.
constexpr bool IsPlainValue(uint16_t vt) {
  switch (vt) {
    case VtEmpty:
    case VtNull:
    case VtSmallint:
    case VtInteger:
    case VtSingle:
    case VtDouble:
    case VtCurrency:
    case VtDate:
    case VtError:
    case VtBoolean:
    case VtShortInt:
    case VtByte:
    case VtWord:
    case VtLongWord:
    case VtInt64:
      return true;
    default:
      return false;
  }
}

constexpr int16_t VariantTrue = -1;
constexpr int16_t VariantFalse = 0;

constexpr THResult HrOk = 0;
constexpr THResult HrTypeMismatch = static_cast<THResult>(0x80020005);
constexpr THResult HrBadVarType = static_cast<THResult>(0x80020008);
constexpr THResult HrOverflow = static_cast<THResult>(0x8002000A);
constexpr THResult HrOutOfMemory = static_cast<THResult>(0x8007000E);
constexpr THResult HrInvalidArg = static_cast<THResult>(0x80070057);

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
