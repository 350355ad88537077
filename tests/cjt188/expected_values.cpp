#include "tests/cjt188/expected_values.h"

#include <cmath>
#include <set>
#include <string_view>

#include "cjt188/cjt188_types.h"
#include "cjt188/frame.h"

namespace cjt::test_support {

namespace {

constexpr size_t DIAndSerialLength = 3;
constexpr double MeterStartDateTime = meter::TSimulatorOptions{}.StartDateTime;

std::optional<double> NumberOf(const TRequestFuncType& row, const meter::TMeterModel& model, double elapsedSeconds) {
  switch (row.Kind()) {
    case TValueKind::Integer:
      return 0.0;  // the simulated meters' status words
    case TValueKind::DateTime:
      return std::nullopt;
    case TValueKind::MeterType:
      return static_cast<double>(model.MeterType());
    case TValueKind::Bcd:
      break;
  }
  const double scale = std::pow(10.0, row.Decimals());
  const double value = std::max(0.0, model.ValueOf(row.Name, elapsedSeconds, MeterStartDateTime));
  return std::round(value * scale) / scale;
}

const std::set<std::string_view>& RowNames() {
  static const std::set<std::string_view> names = [] {
    std::set<std::string_view> all;
    for (const TRequestFuncType& row : RequestFuncTypes()) all.insert(row.Name);
    return all;
  }();
  return names;
}

}  // namespace

std::vector<TExpectedValue> ExpectedValues(const meter::TAnswerRecord& answer, uint32_t meterSeed) {
  const meter::TMeterModel model(answer.MeterType, answer.Address, meterSeed);
  size_t remaining =
      answer.Frame[FrameLengthOffset] - std::min<size_t>(answer.Frame[FrameLengthOffset], DIAndSerialLength);
  std::vector<TExpectedValue> values;
  for (const TRequestFuncType& row : FindRowsFor(answer.DI, answer.MeterType)) {
    if (remaining < row.Width) break;
    remaining -= row.Width;
    values.push_back({std::string(row.Name), NumberOf(row, model, answer.ElapsedSeconds), row.Decimals()});
    if (row.HasUnitByte() && remaining > 0) --remaining;
  }
  return values;
}

std::vector<std::pair<std::string, std::string>> TableValues(
    const std::vector<std::pair<std::string, std::string>>& values) {
  std::vector<std::pair<std::string, std::string>> table;
  for (const auto& value : values)
    if (RowNames().contains(value.first)) table.push_back(value);
  return table;
}

std::string CompareValue(const TExpectedValue& expected, const std::string& got) {
  if (!expected.Number) return {};
  double number = 0;
  try {
    number = std::stod(got);
  } catch (...) {
    return expected.Name + " is \"" + got + "\"";
  }
  if (std::fabs(number - *expected.Number) < 0.5 * std::pow(10.0, -expected.Decimals)) return {};
  return expected.Name + " is " + got + ", the meter sent " + std::to_string(*expected.Number);
}

}  // namespace cjt::test_support
