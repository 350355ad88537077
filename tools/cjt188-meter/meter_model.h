// One simulated meter: its type, its address and the quantities it measures, which change
// plausibly with the time since the simulation began. Energies, volumes and operating hours
// only grow; power, flow, temperatures and pressures drift around a level of their own.
// Every level comes from the seed and the address, so a run is repeatable.
#pragma once

#include <cstdint>
#include <string_view>

#include "cjt188/frame.h"

namespace cjt::meter {

enum class TMeterFamily { Heat, Water, Gas, Other };
// Heat: 0x00 and 0x20-0x29; water: 0x10-0x19; gas: 0x30-0x49.
TMeterFamily FamilyOf(uint8_t meterType);

class TMeterModel {
 public:
  TMeterModel(uint8_t meterType, const TAddressBytes& address, uint32_t seed);

  uint8_t MeterType() const { return Type; }
  const TAddressBytes& Address() const { return Addr; }

  // The value of a value-item name after elapsedSeconds, in the unit of UnitCodeOf (0 for
  // names the meter does not know). Settlement values are those at the last midnight of
  // the meter clock, which starts at startDateTime.
  double ValueOf(std::string_view name, double elapsedSeconds, double startDateTime) const;
  // The unit code that follows a value with a unit byte: m3, kWh, kW or m3/h.
  static uint8_t UnitCodeOf(std::string_view name);

 private:
  double Power(double t) const;
  double Flow(double t) const;
  double Energy(double t) const;
  double CoolingEnergy(double t) const;
  double Volume(double t) const;
  double Temperature(double t) const;
  double StoredValueOf(std::string_view name) const;

  uint8_t Type;
  TAddressBytes Addr;
  TMeterFamily Family;
  double StartEnergy, StartCooling, StartVolume, StartHours;
  double MeanFlow, MeanDelta, MeanTemperature, MeanPressure, CoolingShare;
  double Phase;
};

}  // namespace cjt::meter
