#include "params/variant.h"

#include <algorithm>
#include <utility>

#include "platform/text_encoding.h"

namespace cjt {

using namespace platform;

namespace {

void Check(THResult hr, uint16_t from, uint16_t to) {
  if (hr == HrOk) return;
  if (hr == HrBadVarType) throw EVariantError("Invalid variant type");
  if (hr == HrOverflow)
    throw EVariantError("Overflow while converting variant of type (" + VarTypeName(from) + ") into type (" +
                        VarTypeName(to) + ")");
  if (hr == HrOutOfMemory) throw std::bad_alloc();
  throw EVariantError("Could not convert variant of type (" + VarTypeName(from) + ") into type (" + VarTypeName(to) +
                      ")");
}

// ASCII reads the same in the 8-bit text of every system: widened straight into the OLE
// string, without a UTF-16 copy in between.
// None for text longer than an OLE string's length can say.
TBStr AsciiBStr(std::string_view text) {
  const auto length = static_cast<uint32_t>(text.size());
  if (length != text.size()) return nullptr;
  const TBStr chars = SysAllocStringLen(nullptr, length);
  if (chars != nullptr) std::copy(text.begin(), text.end(), chars);
  return chars;
}

}  // namespace

std::string VarTypeName(uint16_t type) {
  switch (type) {
    case VtEmpty:
      return "Empty";
    case VtNull:
      return "Null";
    case VtSmallint:
      return "Smallint";
    case VtInteger:
      return "Integer";
    case VtSingle:
      return "Single";
    case VtDouble:
      return "Double";
    case VtCurrency:
      return "Currency";
    case VtDate:
      return "Date";
    case VtBStr:
      return "OleStr";
    case VtError:
      return "Error";
    case VtBoolean:
      return "Boolean";
    case VtShortInt:
      return "ShortInt";
    case VtByte:
      return "Byte";
    case VtWord:
      return "Word";
    case VtLongWord:
      return "LongWord";
    case VtInt64:
      return "Int64";
    case VtString:
      return "String";
    case VtUString:
      return "UnicodeString";
    default:
      return "Unknown";
  }
}

TVariant::TVariant() noexcept { VariantInit(&Value); }

TVariant::TVariant(const TVariant& other) : TVariant() {
  Check(VariantCopy(&Value, &other.Value), other.Type(), other.Type());
}

TVariant::TVariant(TVariant&& other) noexcept : Value(other.Value) { VariantInit(&other.Value); }

TVariant& TVariant::operator=(const TVariant& other) {
  if (this == &other) return *this;
  // A plain value over a plain value: nothing to free, nothing to allocate.
  if (IsPlainValue(Value.Vt) && IsPlainValue(other.Value.Vt)) {
    Value = other.Value;
    return *this;
  }
  // Text of the length this variant's own text has goes into its string in place.
  if (Value.Vt == VtBStr && other.Value.Vt == VtBStr && Value.BStrVal != nullptr && other.Value.BStrVal != nullptr) {
    const uint32_t length = SysStringLen(other.Value.BStrVal);
    if (SysStringLen(Value.BStrVal) == length) {
      std::copy_n(other.Value.BStrVal, length, Value.BStrVal);
      return *this;
    }
  }
  *this = TVariant(other);
  return *this;
}

TVariant& TVariant::operator=(TVariant&& other) noexcept {
  if (this != &other) {
    if (!IsPlainValue(Value.Vt)) VariantClear(&Value);
    Value = other.Value;
    VariantInit(&other.Value);
  }
  return *this;
}

TVariant::~TVariant() { VariantClear(&Value); }

TVariant::TVariant(int16_t value) : TVariant() { Value.Vt = VtSmallint, Value.SmallintVal = value; }
TVariant::TVariant(int32_t value) : TVariant() { Value.Vt = VtInteger, Value.IntegerVal = value; }
TVariant::TVariant(float value) : TVariant() { Value.Vt = VtSingle, Value.SingleVal = value; }
TVariant::TVariant(double value) : TVariant() { Value.Vt = VtDouble, Value.DoubleVal = value; }
TVariant::TVariant(bool value) : TVariant() {
  Value.Vt = VtBoolean, Value.BooleanVal = value ? VariantTrue : VariantFalse;
}
TVariant::TVariant(int8_t value) : TVariant() { Value.Vt = VtShortInt, Value.ShortIntVal = value; }
TVariant::TVariant(uint8_t value) : TVariant() { Value.Vt = VtByte, Value.ByteVal = value; }
TVariant::TVariant(uint16_t value) : TVariant() { Value.Vt = VtWord, Value.WordVal = value; }
TVariant::TVariant(uint32_t value) : TVariant() { Value.Vt = VtLongWord, Value.LongWordVal = value; }
TVariant::TVariant(int64_t value) : TVariant() { Value.Vt = VtInt64, Value.Int64Val = value; }
TVariant::TVariant(const char* text) : TVariant(std::string_view(text ? text : "")) {}
TVariant::TVariant(std::string_view text) : TVariant() {
  TakeText(IsAscii(text) ? AsciiBStr(text) : SysAllocString(AnsiToWide(text)));
}

TVariant::TVariant(std::u16string_view text) : TVariant() { TakeText(SysAllocString(text)); }

void TVariant::TakeText(TBStr chars) {
  if (chars == nullptr) throw std::bad_alloc();
  Value.BStrVal = chars;
  Value.Vt = VtBStr;
}

TVariant TVariant::Null() {
  TVariant v;
  v.Value.Vt = VtNull;
  return v;
}

TVariant TVariant::Date(double dateTime) {
  TVariant v;
  v.Value.Vt = VtDate, v.Value.DateVal = dateTime;
  return v;
}

TVariant TVariant::Currency(int64_t valueTimes10000) {
  TVariant v;
  v.Value.Vt = VtCurrency, v.Value.CurrencyVal = valueTimes10000;
  return v;
}

TVariant TVariant::CopyOf(const TOleVariant& raw) {
  TVariant v;
  Check(VariantCopy(&v.Value, &raw), raw.Vt, raw.Vt);
  return v;
}

TVariant TVariant::FromIncoming(const TOleVariant& raw, TTextConvention convention) {
  if (raw.Vt == VtString && convention == TTextConvention::Ansi)
    return TVariant(std::string_view(raw.StringVal ? raw.StringVal : ""));
  if (raw.Vt == VtString || raw.Vt == VtUString) {
    const char16_t* text = raw.UStringVal;
    return TVariant(text ? std::u16string_view(text, WideLength(text)) : std::u16string_view());
  }
  return CopyOf(raw);
}

void TVariant::CopyTo(TOleVariant* out) const {
  VariantInit(out);
  Check(VariantCopy(out, &Value), Type(), Type());
}

TOleVariant* TVariant::Receive() {
  VariantClear(&Value);
  return &Value;
}

TVariant TVariant::ChangedTo(uint16_t type) const {
  TVariant v;
  Check(VariantChangeType(&v.Value, &Value, type), Type(), type);
  return v;
}

int32_t TVariant::AsInteger() const { return ChangedTo(VtInteger).Value.IntegerVal; }
int64_t TVariant::AsInt64() const { return ChangedTo(VtInt64).Value.Int64Val; }
double TVariant::AsDouble() const { return ChangedTo(VtDouble).Value.DoubleVal; }
bool TVariant::AsBoolean() const { return ChangedTo(VtBoolean).Value.BooleanVal != 0; }
std::string TVariant::AsString() const { return WideToAnsi(AsWideString()); }

std::u16string TVariant::AsWideString() const {
  const TVariant text = ChangedTo(VtBStr);
  const TBStr chars = text.Value.BStrVal;
  return chars ? std::u16string(chars, SysStringLen(chars)) : std::u16string();
}

}  // namespace cjt
