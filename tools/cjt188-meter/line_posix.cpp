#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "tools/cjt188-meter/line.h"

namespace cjt::meter {

namespace {

[[noreturn]] void Fail(const std::string& what) { throw ELine(what + ": " + std::strerror(errno)); }

speed_t SpeedOf(uint32_t baud) {
  switch (baud) {
    case 300:
      return B300;
    case 600:
      return B600;
    case 1200:
      return B1200;
    case 2400:
      return B2400;
    case 4800:
      return B4800;
    case 9600:
      return B9600;
    case 19200:
      return B19200;
    case 38400:
      return B38400;
    case 57600:
      return B57600;
    case 115200:
      return B115200;
  }
  throw ELine("unsupported baud rate " + std::to_string(baud));
}

void MakeRaw(int fd, const std::string& what) {
  termios settings{};
  if (tcgetattr(fd, &settings) != 0) Fail(what);
  cfmakeraw(&settings);
  settings.c_cc[VMIN] = 1;
  settings.c_cc[VTIME] = 0;
  if (tcsetattr(fd, TCSANOW, &settings) != 0) Fail(what);
}

std::string Hex(std::span<const uint8_t> bytes) {
  std::string text;
  char pair[4];
  for (uint8_t b : bytes) {
    std::snprintf(pair, sizeof pair, "%02X ", b);
    text += pair;
  }
  if (!text.empty()) text.pop_back();
  return text;
}

sockaddr_in Ipv4Address(const std::string& host, uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  if (inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1) throw ELine("invalid address " + host);
  return address;
}

}  // namespace

int OpenSerial(const std::string& device, uint32_t baud, char parity, uint8_t dataBits, uint8_t stopBits) {
  const int fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) Fail(device);
  try {
    MakeRaw(fd, device);
    termios settings{};
    if (tcgetattr(fd, &settings) != 0) Fail(device);
    cfsetispeed(&settings, SpeedOf(baud));
    cfsetospeed(&settings, SpeedOf(baud));
    settings.c_cflag |= CLOCAL | CREAD;
    settings.c_cflag &= ~(PARENB | PARODD | CSTOPB | CSIZE);
    settings.c_cflag |= dataBits == 7 ? CS7 : CS8;
    if (stopBits == 2) settings.c_cflag |= CSTOPB;
    if (parity != 'N') settings.c_cflag |= PARENB;
    if (parity == 'O') settings.c_cflag |= PARODD;
    if (tcsetattr(fd, TCSANOW, &settings) != 0) Fail(device);
  } catch (...) {
    close(fd);
    throw;
  }
  return fd;
}

TPseudoTerminal OpenPseudoTerminal() {
  TPseudoTerminal pty;
  pty.Master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (pty.Master < 0) Fail("posix_openpt");
  try {
    if (grantpt(pty.Master) != 0 || unlockpt(pty.Master) != 0) Fail("pseudo-terminal");
    const char* name = ptsname(pty.Master);
    if (name == nullptr) Fail("ptsname");
    pty.Name = name;
    pty.KeptSlave = OpenTerminal(pty.Name);
    MakeRaw(pty.Master, "pseudo-terminal");
  } catch (...) {
    if (pty.KeptSlave >= 0) close(pty.KeptSlave);
    close(pty.Master);
    throw;
  }
  return pty;
}

int OpenTerminal(const std::string& name) {
  const int fd = open(name.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) Fail(name);
  try {
    MakeRaw(fd, name);
  } catch (...) {
    close(fd);
    throw;
  }
  return fd;
}

int ListenTcp(const std::string& bindAddress, uint16_t port, uint16_t& boundPort) {
  sockaddr_in address = Ipv4Address(bindAddress, port);
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) Fail("socket");
  const int on = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  socklen_t length = sizeof address;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, 4) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    const int error = errno;
    close(fd);
    errno = error;
    Fail(bindAddress + ":" + std::to_string(port));
  }
  boundPort = ntohs(address.sin_port);
  return fd;
}

int ConnectTcp(const std::string& host, uint16_t port) {
  const sockaddr_in address = Ipv4Address(host, port);
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) Fail("socket");
  if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    const int error = errno;
    close(fd);
    errno = error;
    Fail(host + ":" + std::to_string(port));
  }
  return fd;
}

void CloseLine(int fd) {
  if (fd >= 0) close(fd);
}

void WriteAll(int fd, std::span<const uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t written = write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      if (errno == EAGAIN) {
        pollfd wait{fd, POLLOUT, 0};
        poll(&wait, 1, 100);
        continue;
      }
      Fail("write");
    }
    bytes = bytes.subspan(static_cast<size_t>(written));
  }
}

std::vector<uint8_t> ReadFor(int fd, size_t count, int timeoutMs) {
  std::vector<uint8_t> bytes;
  int waited = 0;
  while (bytes.size() < count && waited < timeoutMs) {
    pollfd wait{fd, POLLIN, 0};
    const int ready = poll(&wait, 1, 20);
    waited += 20;
    if (ready <= 0 || !(wait.revents & POLLIN)) continue;
    uint8_t block[256];
    const ssize_t got = read(fd, block, std::min(sizeof block, count - bytes.size()));
    if (got <= 0) break;
    bytes.insert(bytes.end(), block, block + got);
  }
  return bytes;
}

void ServeLine(int fd, TMeterSimulator& simulator, const std::atomic<bool>& stop, const TLineLog& log) {
  while (!stop.load()) {
    const int64_t due = simulator.MillisecondsToNextOutput();
    pollfd wait{fd, POLLIN, 0};
    const int ready = poll(&wait, 1, due < 0 || due > 100 ? 100 : static_cast<int>(due));
    if (ready < 0 && errno != EINTR) Fail("poll");
    if (ready > 0 && (wait.revents & POLLIN)) {
      uint8_t block[512];
      const ssize_t got = read(fd, block, sizeof block);
      if (got == 0) return;
      if (got < 0) {
        // A pseudo-terminal reports EIO while no host has it open.
        if (errno == EINTR || errno == EAGAIN) continue;
        return;
      }
      if (log) log("<- " + Hex({block, static_cast<size_t>(got)}));
      simulator.Receive({block, static_cast<size_t>(got)});
    } else if (ready > 0 && (wait.revents & (POLLHUP | POLLERR | POLLNVAL))) {
      return;
    }
    const std::vector<uint8_t> output = simulator.TakeOutput();
    if (output.empty()) continue;
    if (log) log("-> " + Hex(output));
    WriteAll(fd, output);
  }
}

void ServeTcp(int listenFd, TMeterSimulator& simulator, const std::atomic<bool>& stop, const TLineLog& log) {
  while (!stop.load()) {
    pollfd wait{listenFd, POLLIN, 0};
    if (poll(&wait, 1, 100) <= 0) continue;
    const int connection = accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
    if (connection < 0) continue;
    if (log) log("connection opened");
    try {
      ServeLine(connection, simulator, stop, log);
    } catch (const ELine& error) {
      if (log) log(error.what());
    }
    close(connection);
    if (log) log("connection closed");
  }
}

}  // namespace cjt::meter
