// Serial devices and TCP connections on POSIX systems.
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <span>

#include "tools/cjt188-host/host_line.h"
#include "tools/cjt188-meter/line.h"

namespace cjt::host {

namespace {

class TDescriptorLine : public THostLine {
 public:
  TDescriptorLine(int fd, std::string name) : THostLine(std::move(name)), Fd(fd) {}
  ~TDescriptorLine() override { meter::CloseLine(Fd); }

  void Write(std::string_view bytes) override {
    try {
      meter::WriteAll(Fd, std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
    } catch (const meter::ELine& error) {
      throw EHostLine(LineName + ": " + error.what());
    }
  }

  std::string Read(uint32_t timeoutMs) override {
    pollfd wait{Fd, POLLIN, 0};
    const int ready = poll(&wait, 1, static_cast<int>(timeoutMs));
    if (ready < 0) {
      if (errno == EINTR) return {};
      throw EHostLine(LineName + ": " + std::strerror(errno));
    }
    if (ready == 0) return {};
    char block[512];
    const ssize_t got = read(Fd, block, sizeof block);
    if (got > 0) return std::string(block, static_cast<size_t>(got));
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) return {};
    throw EHostLine(LineName + ": " + (got == 0 ? std::string("the line was closed") : std::strerror(errno)));
  }

 private:
  int Fd;
};

}  // namespace

std::unique_ptr<THostLine> OpenSerialLine(const std::string& device, const TSerialSettings& settings) {
  try {
    return std::make_unique<TDescriptorLine>(
        meter::OpenSerial(device, settings.Baud, settings.Parity, settings.DataBits, settings.StopBits), device);
  } catch (const meter::ELine& error) {
    throw EHostLine(std::string("serial device ") + error.what());
  }
}

std::unique_ptr<THostLine> OpenTcpLine(const std::string& host, uint16_t port) {
  const std::string name = host + ":" + std::to_string(port);
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const int resolved = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
  if (resolved != 0) throw EHostLine("TCP " + name + ": " + gai_strerror(resolved));
  int error = 0;
  int fd = -1;
  for (addrinfo* address = found; address != nullptr && fd < 0; address = address->ai_next) {
    fd = socket(address->ai_family, address->ai_socktype | SOCK_CLOEXEC, address->ai_protocol);
    if (fd < 0) {
      error = errno;
      continue;
    }
    if (connect(fd, address->ai_addr, address->ai_addrlen) != 0) {
      error = errno;
      close(fd);
      fd = -1;
    }
  }
  freeaddrinfo(found);
  if (fd < 0) throw EHostLine("TCP " + name + ": " + std::strerror(error));
  return std::make_unique<TDescriptorLine>(fd, name);
}

}  // namespace cjt::host
