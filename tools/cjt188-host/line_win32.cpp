// Serial ports and TCP connections on Windows.
// winsock2.h before windows.h, which would otherwise bring in the old winsock.h.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <windows.h>

#include <optional>
#include <string>

#include "tools/cjt188-host/host_line.h"
#include "tools/cjt188-host/serial_port_state_win32.h"

namespace cjt::host {

namespace {

std::string SystemMessage(DWORD code) {
  char text[256] = {};
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                      text, sizeof text, nullptr);
  std::string message(text, length);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.'))
    message.pop_back();
  return message.empty() ? "error " + std::to_string(code) : message;
}

class TSerialLine : public THostLine {
 public:
  TSerialLine(HANDLE port, std::string name, uint32_t baud) : THostLine(std::move(name)), Port(port), Baud(baud) {}
  ~TSerialLine() override { CloseHandle(Port); }

  // The port's time-outs for reads that wait up to timeoutMs (those of writes go with them).
  void SetReadTimeout(uint32_t timeoutMs) {
    if (timeoutMs == ReadTimeout) return;
    COMMTIMEOUTS timeouts = SerialPortTimeouts(timeoutMs, Baud);
    if (!SetCommTimeouts(Port, &timeouts)) throw EHostLine(LineName + ": " + SystemMessage(GetLastError()));
    ReadTimeout = timeoutMs;
  }

  void Write(std::string_view bytes) override {
    while (!bytes.empty()) {
      DWORD written = 0;
      if (!WriteFile(Port, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
        throw EHostLine(LineName + ": " + SystemMessage(GetLastError()));
      // A write that timed out without taking a byte would be tried again for ever.
      if (written == 0) throw EHostLine(LineName + ": the port took no bytes within the write time-out");
      bytes.remove_prefix(written);
    }
  }

  // Returns at once with what is there, or waits up to timeoutMs for the first byte.
  std::string Read(uint32_t timeoutMs) override {
    SetReadTimeout(timeoutMs);
    char block[512];
    DWORD got = 0;
    if (!ReadFile(Port, block, sizeof block, &got, nullptr))
      throw EHostLine(LineName + ": " + SystemMessage(GetLastError()));
    return std::string(block, got);
  }

 private:
  HANDLE Port;
  const uint32_t Baud;
  std::optional<uint32_t> ReadTimeout;
};

class TSocketLine : public THostLine {
 public:
  TSocketLine(SOCKET socket, std::string name) : THostLine(std::move(name)), Socket(socket) {}
  ~TSocketLine() override {
    closesocket(Socket);
    WSACleanup();
  }

  void Write(std::string_view bytes) override {
    while (!bytes.empty()) {
      const int sent = send(Socket, bytes.data(), static_cast<int>(bytes.size()), 0);
      if (sent == SOCKET_ERROR) throw EHostLine(LineName + ": " + SystemMessage(WSAGetLastError()));
      bytes.remove_prefix(static_cast<size_t>(sent));
    }
  }

  std::string Read(uint32_t timeoutMs) override {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(Socket, &readable);
    timeval wait{static_cast<long>(timeoutMs / 1000), static_cast<long>(timeoutMs % 1000) * 1000};
    const int ready = select(0, &readable, nullptr, nullptr, &wait);
    if (ready == SOCKET_ERROR) throw EHostLine(LineName + ": " + SystemMessage(WSAGetLastError()));
    if (ready == 0) return {};
    char block[512];
    const int got = recv(Socket, block, sizeof block, 0);
    if (got > 0) return std::string(block, static_cast<size_t>(got));
    throw EHostLine(LineName + ": " +
                    (got == 0 ? std::string("the line was closed") : SystemMessage(WSAGetLastError())));
  }

 private:
  SOCKET Socket;
};

}  // namespace

std::unique_ptr<THostLine> OpenSerialLine(const std::string& device, const TSerialSettings& settings) {
  // COM10 and above are reached only through the device namespace; it serves COM1 too.
  const std::string path = device.rfind("\\\\.\\", 0) == 0 ? device : "\\\\.\\" + device;
  const HANDLE port = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (port == INVALID_HANDLE_VALUE) throw EHostLine("serial device " + device + ": " + SystemMessage(GetLastError()));
  auto line = std::make_unique<TSerialLine>(port, device, settings.Baud);
  DCB state{};
  state.DCBlength = sizeof state;
  if (!GetCommState(port, &state)) throw EHostLine("serial device " + device + ": " + SystemMessage(GetLastError()));
  state = SerialPortState(state, settings);
  if (!SetCommState(port, &state)) throw EHostLine("serial device " + device + ": " + SystemMessage(GetLastError()));
  // From the start: the first write may come before the first read.
  line->SetReadTimeout(1);
  return line;
}

std::unique_ptr<THostLine> OpenTcpLine(const std::string& host, uint16_t port) {
  const std::string name = host + ":" + std::to_string(port);
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) throw EHostLine("TCP " + name + ": winsock cannot start");
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const int resolved = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
  if (resolved != 0) {
    WSACleanup();
    throw EHostLine("TCP " + name + ": " + SystemMessage(static_cast<DWORD>(resolved)));
  }
  int error = 0;
  SOCKET socket = INVALID_SOCKET;
  for (addrinfo* address = found; address != nullptr && socket == INVALID_SOCKET; address = address->ai_next) {
    socket = ::socket(address->ai_family, address->ai_socktype, address->ai_protocol);
    if (socket == INVALID_SOCKET) {
      error = WSAGetLastError();
      continue;
    }
    if (connect(socket, address->ai_addr, static_cast<int>(address->ai_addrlen)) == SOCKET_ERROR) {
      error = WSAGetLastError();
      closesocket(socket);
      socket = INVALID_SOCKET;
    }
  }
  freeaddrinfo(found);
  if (socket == INVALID_SOCKET) {
    WSACleanup();
    throw EHostLine("TCP " + name + ": " + SystemMessage(static_cast<DWORD>(error)));
  }
  return std::make_unique<TSocketLine>(socket, name);
}

}  // namespace cjt::host
