// The line the host talks to meters on: a serial port, a TCP connection to a serial-to-
// Ethernet converter, or simulated meters. Each kind has the same three operations; the
// serial and TCP bodies are in line_posix.cpp and line_win32.cpp under the same names.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "tools/cjt188-host/host_options.h"
#include "tools/cjt188-meter/meter_simulator.h"

namespace cjt::host {

// A line that cannot be opened or has failed: the message names the device or address and
// the reason.
class EHostLine : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class THostLine {
 public:
  explicit THostLine(std::string name) : LineName(std::move(name)) {}
  virtual ~THostLine() = default;
  // Sends all bytes. Called from the plug-in's request timer, which may run on another thread
  // than Read.
  virtual void Write(std::string_view bytes) = 0;
  // What arrives within timeoutMs (empty when nothing). Throws EHostLine when the line
  // closed or failed.
  virtual std::string Read(uint32_t timeoutMs) = 0;
  // The data source's name, as the plug-in knows it: the device, HOST:PORT or SIM.
  const std::string& Name() const { return LineName; }

 protected:
  const std::string LineName;
};

std::unique_ptr<THostLine> OpenSerialLine(const std::string& device, const TSerialSettings& settings);
std::unique_ptr<THostLine> OpenTcpLine(const std::string& host, uint16_t port);
std::unique_ptr<THostLine> OpenSimulatedLine(meter::TSimulatorOptions meters);

}  // namespace cjt::host
