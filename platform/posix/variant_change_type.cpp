// Conversions between the variant types the plug-in uses, following the OLE rules: numbers
// convert with rounding half to even and an overflow error outside the target's range,
// booleans are -1 and 0 (text "True" and "False"), text is read and written in the
// invariant locale, empty converts to zero or empty text, null only to null or empty.
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

#include "platform/clock.h"
#include "platform/ole_variant.h"
#include "platform/text_encoding.h"

namespace cjt::platform {

namespace {

// OLE dates run from 0100-01-01 to 9999-12-31.
constexpr double MinDate = -657434.0;
constexpr double MaxDate = 2958466.0;

// A number read from a variant: exact integers stay integers, currency stays scaled.
struct TNumber {
  enum TKind { Integer, Floating, Currency } Kind = Integer;
  int64_t Whole = 0;  // Integer: the value; Currency: the value times 10000
  double Real = 0;

  double AsReal() const {
    return Kind == Integer ? static_cast<double>(Whole) : Kind == Currency ? Whole / 10000.0 : Real;
  }
};

struct TFailure {
  THResult Code;
};

std::string Trim(std::string text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::string TextOf(const TOleVariant& v) {
  if (v.BStrVal == nullptr) return {};
  return WideToUtf8(std::u16string_view(v.BStrVal, SysStringLen(v.BStrVal)));
}

TNumber ParseNumber(const std::string& text) {
  const char* first = text.data();
  const char* last = first + text.size();
  if (!text.empty() && *first == '+') ++first;
  TNumber n;
  auto [end, ec] = std::from_chars(first, last, n.Whole);
  if (ec == std::errc() && end == last && first != last) return n;
  n.Kind = TNumber::Floating;
  auto [realEnd, realEc] = std::from_chars(first, last, n.Real);
  if (realEc == std::errc::result_out_of_range) throw TFailure{HrOverflow};
  if (realEc != std::errc() || realEnd != last || first == last || !std::isfinite(n.Real))
    throw TFailure{HrTypeMismatch};
  return n;
}

// Up to maxDigits decimal digits at pos, or -1 when there are none.
int ParseField(const std::string& text, size_t& pos, size_t maxDigits) {
  int value = 0;
  size_t digits = 0;
  while (pos < text.size() && digits < maxDigits && text[pos] >= '0' && text[pos] <= '9') {
    value = value * 10 + (text[pos++] - '0');
    ++digits;
  }
  return digits == 0 ? -1 : value;
}

// The field after separator, or -1 when the separator or the digits are missing.
int ParseFieldAfter(const std::string& text, size_t& pos, char separator, size_t maxDigits) {
  if (pos >= text.size() || text[pos] != separator) return -1;
  return ParseField(text, ++pos, maxDigits);
}

bool ValidDate(int y, int m, int d) {
  return y >= 100 && y <= 9999 && m >= 1 && m <= 12 && d >= 1 && d <= DaysInMonth(y, m);
}

// "YYYY-MM-DD", "HH:MM[:SS]" or both separated by a blank or "T".
double ParseDate(const std::string& text) {
  TCalendarTime t;
  size_t pos = 0;
  if (text.find('-') != std::string::npos) {
    t.Year = ParseField(text, pos, 4);
    t.Month = ParseFieldAfter(text, pos, '-', 2);
    t.Day = ParseFieldAfter(text, pos, '-', 2);
    if (!ValidDate(t.Year, t.Month, t.Day)) throw TFailure{HrTypeMismatch};
    if (pos == text.size()) return EncodeCalendarTime(t);
    if (text[pos] != ' ' && text[pos] != 'T') throw TFailure{HrTypeMismatch};
    ++pos;
  }
  t.Hour = ParseField(text, pos, 2);
  t.Minute = ParseFieldAfter(text, pos, ':', 2);
  t.Second = pos < text.size() ? ParseFieldAfter(text, pos, ':', 2) : 0;
  if (t.Hour < 0 || t.Hour > 23 || t.Minute < 0 || t.Minute > 59 || t.Second < 0 || t.Second > 59 || pos != text.size())
    throw TFailure{HrTypeMismatch};
  return EncodeCalendarTime(t);
}

TNumber NumberOf(const TOleVariant& v, uint16_t target) {
  TNumber n;
  switch (v.Vt) {
    case VtEmpty:
      return n;
    case VtSmallint:
      n.Whole = v.SmallintVal;
      return n;
    case VtInteger:
      n.Whole = v.IntegerVal;
      return n;
    case VtShortInt:
      n.Whole = v.ShortIntVal;
      return n;
    case VtByte:
      n.Whole = v.ByteVal;
      return n;
    case VtWord:
      n.Whole = v.WordVal;
      return n;
    case VtLongWord:
      n.Whole = v.LongWordVal;
      return n;
    case VtInt64:
      n.Whole = v.Int64Val;
      return n;
    case VtBoolean:
      n.Whole = v.BooleanVal != 0 ? -1 : 0;
      return n;
    case VtCurrency:
      n.Kind = TNumber::Currency;
      n.Whole = v.CurrencyVal;
      return n;
    case VtSingle:
      n.Kind = TNumber::Floating;
      n.Real = v.SingleVal;
      return n;
    case VtDouble:
      n.Kind = TNumber::Floating;
      n.Real = v.DoubleVal;
      return n;
    case VtDate:
      n.Kind = TNumber::Floating;
      n.Real = v.DateVal;
      return n;
    case VtBStr:
      break;
    case VtNull:
      throw TFailure{HrTypeMismatch};
    default:
      throw TFailure{HrBadVarType};
  }
  const std::string text = Trim(TextOf(v));
  const std::string lower = AnsiLowerCase(text);
  if (target == VtBoolean && (lower == "true" || lower == "false")) {
    n.Whole = lower == "true" ? -1 : 0;
    return n;
  }
  if (target == VtDate) {
    n.Kind = TNumber::Floating;
    n.Real = ParseDate(text);
    return n;
  }
  return ParseNumber(text);
}

int64_t RoundHalfEven(double x) {
  double r = std::nearbyint(x);  // the default rounding mode is to nearest, ties to even
  if (!(r >= -9223372036854775808.0 && r < 9223372036854775808.0)) throw TFailure{HrOverflow};
  return static_cast<int64_t>(r);
}

int64_t WholeOf(const TNumber& n) {
  switch (n.Kind) {
    case TNumber::Integer:
      return n.Whole;
    case TNumber::Currency:
      return RoundHalfEven(n.Whole / 10000.0);
    default:
      return RoundHalfEven(n.Real);
  }
}

int64_t Ranged(int64_t value, int64_t low, int64_t high) {
  if (value < low || value > high) throw TFailure{HrOverflow};
  return value;
}

std::string FormatReal(double value, int digits) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.*G", digits, value);
  return buffer;
}

std::string FormatCurrency(int64_t scaled) {
  std::string text = std::to_string(scaled / 10000);
  int64_t fraction = scaled % 10000;
  if (fraction == 0) return text;
  if (fraction < 0) {
    fraction = -fraction;
    if (scaled > -10000) text = "-0";
  }
  char digits[8];
  std::snprintf(digits, sizeof digits, ".%04lld", static_cast<long long>(fraction));
  std::string tail = digits;
  tail.erase(tail.find_last_not_of('0') + 1);
  return text + tail;
}

std::string FormatDate(double value) {
  if (!(value >= MinDate && value < MaxDate)) throw TFailure{HrOverflow};
  const TCalendarTime t = DecodeCalendarTime(value);
  char buffer[40];
  const bool hasTime = t.Hour != 0 || t.Minute != 0 || t.Second != 0;
  if (static_cast<int64_t>(value) == 0 && hasTime)
    std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", t.Hour, t.Minute, t.Second);
  else if (hasTime)
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", t.Year, t.Month, t.Day, t.Hour, t.Minute,
                  t.Second);
  else
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", t.Year, t.Month, t.Day);
  return buffer;
}

std::string TextFrom(const TOleVariant& v) {
  switch (v.Vt) {
    case VtEmpty:
      return {};
    case VtBoolean:
      return v.BooleanVal != 0 ? "True" : "False";
    case VtSingle:
      return FormatReal(v.SingleVal, 7);
    case VtDouble:
      return FormatReal(v.DoubleVal, 15);
    case VtCurrency:
      return FormatCurrency(v.CurrencyVal);
    case VtDate:
      return FormatDate(v.DateVal);
    default:
      return std::to_string(WholeOf(NumberOf(v, VtBStr)));
  }
}

// Fills result (already empty) with source converted to type.
void Convert(TOleVariant& result, const TOleVariant& source, uint16_t type) {
  if (type == VtBStr) {
    const std::u16string text = Utf8ToWide(TextFrom(source));
    result.BStrVal = SysAllocString(text);
    if (result.BStrVal == nullptr) throw TFailure{HrOutOfMemory};
    result.Vt = VtBStr;
    return;
  }
  const TNumber n = NumberOf(source, type);
  switch (type) {
    case VtSmallint:
      result.SmallintVal = static_cast<int16_t>(Ranged(WholeOf(n), INT16_MIN, INT16_MAX));
      break;
    case VtInteger:
      result.IntegerVal = static_cast<int32_t>(Ranged(WholeOf(n), INT32_MIN, INT32_MAX));
      break;
    case VtShortInt:
      result.ShortIntVal = static_cast<int8_t>(Ranged(WholeOf(n), INT8_MIN, INT8_MAX));
      break;
    case VtByte:
      result.ByteVal = static_cast<uint8_t>(Ranged(WholeOf(n), 0, UINT8_MAX));
      break;
    case VtWord:
      result.WordVal = static_cast<uint16_t>(Ranged(WholeOf(n), 0, UINT16_MAX));
      break;
    case VtLongWord:
      result.LongWordVal = static_cast<uint32_t>(Ranged(WholeOf(n), 0, UINT32_MAX));
      break;
    case VtInt64:
      result.Int64Val = WholeOf(n);
      break;
    case VtBoolean:
      result.BooleanVal = n.AsReal() != 0 ? VariantTrue : VariantFalse;
      break;
    case VtSingle: {
      const double x = n.AsReal();
      if (std::fabs(x) > FLT_MAX) throw TFailure{HrOverflow};
      result.SingleVal = static_cast<float>(x);
      break;
    }
    case VtDouble:
      result.DoubleVal = n.AsReal();
      break;
    case VtDate: {
      const double x = n.AsReal();
      if (!(x >= MinDate && x < MaxDate)) throw TFailure{HrOverflow};
      result.DateVal = x;
      break;
    }
    case VtCurrency:
      if (n.Kind == TNumber::Currency)
        result.CurrencyVal = n.Whole;
      else if (n.Kind == TNumber::Integer)
        result.CurrencyVal = Ranged(n.Whole, INT64_MIN / 10000, INT64_MAX / 10000) * 10000;
      else
        result.CurrencyVal = RoundHalfEven(n.Real * 10000.0);
      break;
    default:
      throw TFailure{HrBadVarType};
  }
  result.Vt = type;
}

}  // namespace

THResult VariantChangeType(TOleVariant* destination, const TOleVariant* source, uint16_t type) {
  if (destination == nullptr || source == nullptr) return HrInvalidArg;
  TOleVariant result;
  VariantInit(&result);
  if (type == source->Vt) {
    const THResult hr = VariantCopy(&result, source);
    if (hr != HrOk) return hr;
  } else if (type == VtEmpty) {
    // Anything may become empty.
  } else if (type == VtNull || source->Vt == VtNull) {
    if (source->Vt != VtEmpty && source->Vt != VtNull) return HrTypeMismatch;
    if (type != VtNull) return HrTypeMismatch;
    result.Vt = VtNull;
  } else {
    try {
      Convert(result, *source, type);
    } catch (const TFailure& failure) {
      VariantClear(&result);
      return failure.Code;
    }
  }
  VariantClear(destination);
  *destination = result;
  return HrOk;
}

}  // namespace cjt::platform
