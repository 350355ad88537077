// The lines the program serves, as plain file descriptors: a serial device, a
// pseudo-terminal or a TCP connection. POSIX only. Failures throw ELine with the system's
// message.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/cjt188-meter/meter_simulator.h"

namespace cjt::meter {

class ELine : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Raw mode at the given speed, parity ('N', 'E', 'O'), data bits (7 or 8) and stop bits (1
// or 2).
int OpenSerial(const std::string& device, uint32_t baud, char parity, uint8_t dataBits = 8, uint8_t stopBits = 1);

// The master side of a new pseudo-terminal in raw mode; Name is the device a host opens.
// The program keeps a slave descriptor open so that the master survives hosts that come
// and go.
struct TPseudoTerminal {
  int Master = -1;
  int KeptSlave = -1;
  std::string Name;
};
TPseudoTerminal OpenPseudoTerminal();
// Opens a terminal device (a pseudo-terminal's name) for reading and writing, raw.
int OpenTerminal(const std::string& name);

// A listening socket; Port is the port it got (useful when 0 was asked for).
int ListenTcp(const std::string& bindAddress, uint16_t port, uint16_t& boundPort);
int ConnectTcp(const std::string& address, uint16_t port);

void CloseLine(int fd);
void WriteAll(int fd, std::span<const uint8_t> bytes);
// Reads what arrives within timeoutMs, up to count bytes; stops early once count bytes came.
std::vector<uint8_t> ReadFor(int fd, size_t count, int timeoutMs);

using TLineLog = std::function<void(const std::string&)>;

// Feeds what the line brings to the simulator and writes its output when due, until the
// line closes (end of file, hang-up) or stop is set. Checks stop at least every 100 ms.
void ServeLine(int fd, TMeterSimulator& simulator, const std::atomic<bool>& stop, const TLineLog& log);
// Accepts one connection at a time and serves it, until stop is set.
void ServeTcp(int listenFd, TMeterSimulator& simulator, const std::atomic<bool>& stop, const TLineLog& log);

}  // namespace cjt::meter
