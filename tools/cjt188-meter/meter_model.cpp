#include "tools/cjt188-meter/meter_model.h"

#include <cmath>
#include <cstdlib>
#include <numbers>
#include <random>
#include <string>
#include <utility>

namespace cjt::meter {

namespace {

// Heat carried by water: kW per (m3/h and kelvin).
constexpr double WaterHeatCapacity = 1.163;
constexpr double SecondsPerHour = 3600.0;

double Wave(double t, double periodSeconds, double phase) {
  return std::sin(2 * std::numbers::pi * t / periodSeconds + phase);
}

}  // namespace

TMeterFamily FamilyOf(uint8_t meterType) {
  if (meterType == 0x00 || (meterType >= 0x20 && meterType <= 0x29)) return TMeterFamily::Heat;
  if (meterType >= 0x10 && meterType <= 0x19) return TMeterFamily::Water;
  if (meterType >= 0x30 && meterType <= 0x49) return TMeterFamily::Gas;
  return TMeterFamily::Other;
}

TMeterModel::TMeterModel(uint8_t meterType, const TAddressBytes& address, uint32_t seed)
    : Type(meterType), Addr(address), Family(FamilyOf(meterType)) {
  std::seed_seq sequence{seed, uint32_t{meterType}, uint32_t(address[0] | address[1] << 8 | address[2] << 16),
                         uint32_t(address[3] | address[4] << 8 | address[5] << 16 | address[6] << 24)};
  std::mt19937 random(sequence);
  // A level between low and high, in steps of 1/1000 of the span.
  const auto level = [&](double low, double high) { return low + (high - low) * (random() % 1001) / 1000.0; };
  StartEnergy = level(500, 50000);
  StartVolume = level(10, 5000);
  StartHours = std::floor(level(100, 40000));
  MeanDelta = level(12, 25);
  Phase = level(0, 2 * std::numbers::pi);
  switch (Family) {
    case TMeterFamily::Heat:
      MeanFlow = level(0.3, 3);
      MeanTemperature = level(55, 80);
      MeanPressure = level(4, 8);
      break;
    case TMeterFamily::Gas:
      MeanFlow = level(0.2, 2.5);
      MeanTemperature = level(8, 18);
      MeanPressure = level(1.8, 3);
      break;
    default:
      MeanFlow = level(0.02, 0.8);
      MeanTemperature = Type == 0x11 ? level(45, 60) : level(10, 18);
      MeanPressure = level(2.5, 5);
      break;
  }
  // Cooling meters count mostly cold, combined meters some of each, heat meters none.
  CoolingShare = Type == 0x21 ? 1.0 : Type == 0x22 ? 0.3 : 0.0;
  StartCooling = CoolingShare > 0 ? level(100, 20000) : 0;
}

double TMeterModel::Power(double t) const {
  return WaterHeatCapacity * MeanFlow * MeanDelta * (1 + 0.1 * Wave(t, 1800, Phase));
}

double TMeterModel::Flow(double t) const { return MeanFlow * (1 + 0.05 * Wave(t, 600, Phase)); }

// Energy and volume grow with the mean power and flow; the waves above average out.
double TMeterModel::Energy(double t) const {
  const double mean = WaterHeatCapacity * MeanFlow * MeanDelta;
  return StartEnergy + (1 - CoolingShare) * mean * t / SecondsPerHour;
}

double TMeterModel::CoolingEnergy(double t) const {
  return StartCooling + CoolingShare * WaterHeatCapacity * MeanFlow * MeanDelta * t / SecondsPerHour;
}

double TMeterModel::Volume(double t) const { return StartVolume + MeanFlow * t / SecondsPerHour; }

double TMeterModel::Temperature(double t) const { return MeanTemperature + 2 * Wave(t, 3600, Phase); }

double TMeterModel::ValueOf(std::string_view name, double t, double startDateTime) const {
  if (t < 0) t = 0;
  const double clock = startDateTime + t / 86400.0;
  // Seconds from the start to the last midnight of the meter clock, never before the start.
  const double settled = std::max(0.0, (std::floor(clock) - startDateTime) * 86400.0);
  const double delta = Power(t) / (WaterHeatCapacity * Flow(t));

  if (name == "ENERGY_HEAT") return Energy(t);
  if (name == "SETTLEMENT_DAY_ENERGY_HEAT") return Energy(settled);
  if (name == "ENERGY_COOL") return CoolingEnergy(t);
  if (name == "SETTLEMENT_DAY_ENERGY_COOL") return CoolingEnergy(settled);
  if (name == "POWER") return Power(t);
  if (name == "FLOW") return Flow(t);
  if (name == "CUMULATIVE_FLOW") return Volume(t);
  if (name == "SETTLEMENT_TOTAL_FLOW") return Volume(settled);
  if (name == "TEMP" || name == "TEMP_INLET") return Temperature(t);
  if (name == "TEMP_OUTLET") return Temperature(t) - delta;
  if (name == "PRESSURE" || name == "PRESSURE_INLET") return MeanPressure + 0.1 * Wave(t, 900, Phase);
  if (name == "PRESSURE_OUTLET") return MeanPressure - 0.5 + 0.1 * Wave(t, 900, Phase);
  if (name == "WORK_TIME") return StartHours + std::floor(t / SecondsPerHour);
  if (name == "METER_TIMESTAMP") return clock;
  return StoredValueOf(name);
}

// What a meter keeps rather than measures: the monthly settlements (each month back a
// sixteenth less than today's start), the prepaid price table, the days and the purchase.
double TMeterModel::StoredValueOf(std::string_view name) const {
  if (name.starts_with("SETTLED_FLOW_M") || name.starts_with("SETTLED_HEAT_M")) {
    const int monthsBack = std::atoi(std::string(name.substr(name.size() - 2)).c_str());
    const double now = name.starts_with("SETTLED_FLOW_M") ? StartVolume : StartEnergy;
    return now * (1 - monthsBack / 16.0);
  }
  static constexpr std::pair<std::string_view, double> Stored[] = {
      {"PRICE_1", 3.45},
      {"VOLUME_1", 180},
      {"PRICE_2", 4.83},
      {"VOLUME_2", 260},
      {"PRICE_3", 6.90},
      {"SETTLEMENT_DAY", 1},
      {"READING_DAY", 25},
      {"PURCHASE_NUMBER", 3},
      {"PURCHASE_AMOUNT", 200},
      {"PURCHASE_TOTAL", 600},
      {"PURCHASE_REMAINING", 123.45},
  };
  for (const auto& [stored, value] : Stored)
    if (stored == name) return value;
  return 0;
}

uint8_t TMeterModel::UnitCodeOf(std::string_view name) {
  if (name == "FLOW") return 0x35;                                                             // m3/h
  if (name == "POWER") return 0x17;                                                            // kW
  if (name == "CUMULATIVE_FLOW" || name == "SETTLEMENT_TOTAL_FLOW") return 0x2C;               // m3
  if (name.starts_with("SETTLED_FLOW_M")) return 0x2C;                                         // m3
  if (name.starts_with("SETTLED_HEAT_M")) return 0x05;                                         // kWh
  if (name.starts_with("ENERGY_") || name.starts_with("SETTLEMENT_DAY_ENERGY_")) return 0x05;  // kWh
  return 0;
}

}  // namespace cjt::meter
