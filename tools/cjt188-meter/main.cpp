// cjt188-meter: simulated CJ/T 188 meters on a serial device, a pseudo-terminal or a TCP
// port. See HelpText for the options.
#include <atomic>
#include <csignal>
#include <cstdio>
#include <iostream>

#include "cjt188/frame.h"
#include "platform/clock.h"
#include "tools/cjt188-meter/command_line.h"
#include "tools/cjt188-meter/line.h"

namespace {

std::atomic<bool> StopRequested{false};

void OnSignal(int) { StopRequested = true; }

void PrintStats(const cjt::meter::TSimulatorStats& stats) {
  std::cerr << "requests " << stats.Requests << ", answers " << stats.Answers << ", error answers "
            << stats.ErrorAnswers << ", short answers " << stats.ShortAnswers << ", dropped " << stats.Dropped << ", unanswered " << stats.Unanswered
            << ", checksum errors " << stats.ChecksumErrors << "\n";
}

}  // namespace

int main(int argc, char** argv) {
  using namespace cjt::meter;
  TProgramOptions options;
  try {
    options = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const ECommandLine& error) {
    std::cerr << "cjt188-meter: " << error.what() << "\n";
    return 2;
  }
  if (options.Help) {
    std::cout << HelpText();
    return 0;
  }
  options.Simulator.StartDateTime = cjt::platform::NowDateTime();
  TMeterSimulator simulator(options.Simulator, [] { return cjt::platform::TickCount64(); });

  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);
  std::signal(SIGPIPE, SIG_IGN);
  TLineLog log;
  if (options.Verbose) log = [](const std::string& line) { std::cerr << line << std::endl; };

  for (const TMeterSetup& meter : options.Simulator.Meters)
    std::cerr << "meter type 0x" << std::hex << int(meter.MeterType) << std::dec << " address "
              << cjt::AddressText(meter.Address) << "\n";
  try {
    switch (options.Line) {
      case TLineKind::Serial: {
        const int fd = OpenSerial(options.Device, options.Baud, options.Parity);
        std::cout << "serving " << options.Device << std::endl;
        ServeLine(fd, simulator, StopRequested, log);
        CloseLine(fd);
        break;
      }
      case TLineKind::PseudoTerminal: {
        const TPseudoTerminal pty = OpenPseudoTerminal();
        std::cout << pty.Name << std::endl;
        ServeLine(pty.Master, simulator, StopRequested, log);
        CloseLine(pty.KeptSlave);
        CloseLine(pty.Master);
        break;
      }
      case TLineKind::Tcp: {
        uint16_t port = 0;
        const int fd = ListenTcp(options.BindAddress, options.Port, port);
        std::cout << "listening on " << options.BindAddress << ":" << port << std::endl;
        ServeTcp(fd, simulator, StopRequested, log);
        CloseLine(fd);
        break;
      }
      case TLineKind::None:
        break;
    }
  } catch (const ELine& error) {
    std::cerr << "cjt188-meter: " << error.what() << "\n";
    return 1;
  }
  PrintStats(simulator.Stats());
  return 0;
}
