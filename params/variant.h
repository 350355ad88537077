// TVariant: an owned OLE variant. It always holds the OLE-compatible form of its value:
// text is an OLE wide string, numbers keep their type (width and signedness). The rest of
// the plug-in reads and makes values only through this type.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/ole_variant.h"

namespace cjt {

using platform::TOleVariant;

class EVariantError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// How text in an incoming variant of the types 0x0100 and 0x0102 is read: Ansi reads 0x0100
// as 8-bit text and 0x0102 as UTF-16 text; Wide reads both as UTF-16 text.
enum class TTextConvention { Ansi, Wide };

class TVariant {
 public:
  TVariant() noexcept;
  TVariant(const TVariant& other);
  TVariant(TVariant&& other) noexcept;
  TVariant& operator=(const TVariant& other);
  TVariant& operator=(TVariant&& other) noexcept;
  ~TVariant();

  TVariant(int16_t value);
  TVariant(int32_t value);
  TVariant(float value);
  TVariant(double value);
  TVariant(bool value);
  TVariant(int8_t value);
  TVariant(uint8_t value);
  TVariant(uint16_t value);
  TVariant(uint32_t value);
  TVariant(int64_t value);
  TVariant(const char* text);  // 8-bit text of the system
  TVariant(std::string_view text);
  TVariant(const std::string& text) : TVariant(std::string_view(text)) {}
  TVariant(std::u16string_view text);

  static TVariant Null();
  static TVariant Date(double dateTime);
  static TVariant Currency(int64_t valueTimes10000);

  // A copy of a variant from outside, by the OLE copy rules: text types other than the OLE
  // string are refused like any type the plug-in does not know.
  static TVariant CopyOf(const TOleVariant& raw);
  // An incoming argument: text of the types 0x0100 and 0x0102 is read by convention (a null
  // text pointer reads as empty text) and copied; anything else as CopyOf.
  static TVariant FromIncoming(const TOleVariant& raw, TTextConvention convention);
  // Fills an out-value that the receiver owns; its previous content is not freed.
  void CopyTo(TOleVariant* out) const;
  // Empties this variant and hands out its address for an out-value that it then owns.
  TOleVariant* Receive();

  uint16_t Type() const { return Value.Vt; }
  bool IsEmpty() const { return Value.Vt == platform::VtEmpty; }
  bool IsNull() const { return Value.Vt == platform::VtNull; }
  bool IsText() const { return Value.Vt == platform::VtBStr; }

  // The value converted to type; raises EVariantError when it cannot be.
  TVariant ChangedTo(uint16_t type) const;
  int32_t AsInteger() const;
  int64_t AsInt64() const;
  double AsDouble() const;
  bool AsBoolean() const;
  std::string AsString() const;  // 8-bit text of the system
  std::u16string AsWideString() const;

  const TOleVariant& Raw() const { return Value; }

 private:
  // Makes this empty variant hold the OLE string chars; raises std::bad_alloc for none.
  void TakeText(platform::TBStr chars);

  TOleVariant Value;
};

// Delphi-style name of a variant type ("Integer", "OleStr", ...), for messages.
std::string VarTypeName(uint16_t type);

}  // namespace cjt
