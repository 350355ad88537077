#include "support/component.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "support/text_values.h"

namespace cjt {

namespace {

// Cut towards zero and held to the 64-bit range, as a text of digits reads; not a number
// reads as 0. A float beyond the range has no integer value of its own.
int64_t FloatToInteger(double real) {
  if (std::isnan(real)) return 0;
  if (real >= 9223372036854775808.0) return std::numeric_limits<int64_t>::max();
  if (real < -9223372036854775808.0) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(real);
}

}  // namespace

std::string PropValueText(const TPropValue& value) {
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  if (const auto* number = std::get_if<int64_t>(&value)) return std::to_string(*number);
  if (const auto* real = std::get_if<double>(&value)) {
    char buffer[40];
    std::snprintf(buffer, sizeof(buffer), "%.15g", *real);
    if (std::strtod(buffer, nullptr) != *real) std::snprintf(buffer, sizeof(buffer), "%.17g", *real);
    return buffer;
  }
  return {};
}

int64_t PropValueInteger(const TPropValue& value) {
  if (const auto* number = std::get_if<int64_t>(&value)) return *number;
  if (const auto* real = std::get_if<double>(&value)) return FloatToInteger(*real);
  if (const auto* text = std::get_if<std::string>(&value)) return std::strtoll(text->c_str(), nullptr, 10);
  return 0;
}

double PropValueFloat(const TPropValue& value) {
  if (const auto* real = std::get_if<double>(&value)) return *real;
  if (const auto* number = std::get_if<int64_t>(&value)) return static_cast<double>(*number);
  if (const auto* text = std::get_if<std::string>(&value)) return std::strtod(text->c_str(), nullptr);
  return 0;
}

TComponent::TComponent(std::string className, std::string name)
    : Name(std::move(name)), FClassName(std::move(className)) {}

TComponent::~TComponent() = default;

const TPropDef* TComponent::FindProperty(std::string_view name) const {
  for (const TPropDef& property : FProperties)
    if (SameText(property.Name, name)) return &property;
  return nullptr;
}

TComponent* TComponent::FindComponent(std::string_view name) const {
  for (TComponent* component : FComponents)
    if (SameText(component->Name, name)) return component;
  return nullptr;
}

bool TComponent::InheritsFrom(std::string_view className) const {
  if (SameText(FClassName, className)) return true;
  for (const std::string& ancestor : FAncestors)
    if (SameText(ancestor, className)) return true;
  return false;
}

void TComponent::AddComponent(TComponent& component) {
  component.FOwner = this;
  FComponents.push_back(&component);
}

void TComponent::AddProperty(TPropDef property) { FProperties.push_back(std::move(property)); }

void TComponent::BindString(std::string name, std::string& field, TPropKind kind) {
  AddProperty({std::move(name), kind, [&field] { return TPropValue(field); },
               [&field](const TPropValue& value) { field = PropValueText(value); }});
}

void TComponent::BindString(std::string name, std::string& field, std::mutex& guard) {
  AddProperty({std::move(name), TPropKind::String,
               [&field, &guard] {
                 std::lock_guard lock(guard);
                 return TPropValue(field);
               },
               [&field, &guard](const TPropValue& value) {
                 std::string text = PropValueText(value);
                 std::lock_guard lock(guard);
                 field = std::move(text);
               }});
}

void TComponent::BindInteger(std::string name, int32_t& field) {
  AddProperty({std::move(name), TPropKind::Integer, [&field] { return TPropValue(int64_t{field}); },
               [&field](const TPropValue& value) {
                 // Held to the field's range rather than wrapped into an unrelated number.
                 field = static_cast<int32_t>(std::clamp<int64_t>(PropValueInteger(value), INT32_MIN, INT32_MAX));
               }});
}

void TComponent::BindFloat(std::string name, double& field) {
  AddProperty({std::move(name), TPropKind::Float, [&field] { return TPropValue(field); },
               [&field](const TPropValue& value) { field = PropValueFloat(value); }});
}

void TComponent::BindBoolean(std::string name, bool& field) {
  AddProperty({std::move(name), TPropKind::Enumeration,
               [&field] { return TPropValue(std::string(field ? "True" : "False")); },
               [&field](const TPropValue& value) {
                 const std::string text = PropValueText(value);
                 field = SameText(text, "True") || text == "1";
               }});
}

}  // namespace cjt
