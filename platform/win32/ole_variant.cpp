// The system's OLE automation functions on our binary-identical variant.
#include <windows.h>
// After windows.h, which it needs.
#include <oleauto.h>

#include <cstddef>

#include "platform/ole_variant.h"

namespace cjt::platform {

static_assert(sizeof(VARIANT) == sizeof(TOleVariant));
static_assert(offsetof(VARIANT, vt) == offsetof(TOleVariant, Vt));
static_assert(sizeof(OLECHAR) == sizeof(TOleChar));

namespace {

VARIANT* Native(TOleVariant* value) { return reinterpret_cast<VARIANT*>(value); }
// The system's declarations take the source of a copy or conversion as non-const.
VARIANT* Native(const TOleVariant* value) { return reinterpret_cast<VARIANT*>(const_cast<TOleVariant*>(value)); }

}  // namespace

TBStr SysAllocStringLen(const TOleChar* text, uint32_t length) {
  return reinterpret_cast<TBStr>(::SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text), length));
}

void SysFreeString(TBStr text) { ::SysFreeString(reinterpret_cast<BSTR>(text)); }

uint32_t SysStringLen(TBStr text) { return ::SysStringLen(reinterpret_cast<BSTR>(text)); }

void VariantInit(TOleVariant* value) { ::VariantInit(Native(value)); }

THResult VariantClear(TOleVariant* value) { return ::VariantClear(Native(value)); }

THResult VariantCopy(TOleVariant* destination, const TOleVariant* source) {
  return ::VariantCopy(Native(destination), Native(source));
}

THResult VariantChangeType(TOleVariant* destination, const TOleVariant* source, uint16_t type) {
  // Text is read and written in the invariant locale, so that a number means the same on
  // every machine, and booleans become "True" and "False" as on every other platform.
  return ::VariantChangeTypeEx(Native(destination), Native(source), LOCALE_INVARIANT, VARIANT_ALPHABOOL, type);
}

}  // namespace cjt::platform
