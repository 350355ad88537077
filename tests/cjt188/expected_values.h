// The values a meter's answer stands for, from the meter's model at the time it answered:
// the rows of its data identifier and meter type that its value data holds whole, in order,
// each number rounded to its row's decimals as the meter wrote it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/cjt188-meter/meter_simulator.h"

namespace cjt::test_support {

struct TExpectedValue {
  std::string Name;
  std::optional<double> Number;  // none for date-times
  int Decimals = 0;
};

std::vector<TExpectedValue> ExpectedValues(const meter::TAnswerRecord& answer, uint32_t meterSeed);

// A packet's value-table values (units and header left out), as the host got them.
std::vector<std::pair<std::string, std::string>> TableValues(
    const std::vector<std::pair<std::string, std::string>>& values);

// Empty when the text is the expected value; else what differs.
std::string CompareValue(const TExpectedValue& expected, const std::string& got);

}  // namespace cjt::test_support
