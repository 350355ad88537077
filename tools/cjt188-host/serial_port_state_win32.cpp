// The state a Windows serial port is put in for the host's line.
#include "tools/cjt188-host/serial_port_state_win32.h"

#include <algorithm>

namespace cjt::host {

namespace {

constexpr DWORD BitsPerByte = 11;  // start bit, 8 data bits, parity and stop bit at most
constexpr DWORD WriteSlackMs = 2000;

}  // namespace

DCB SerialPortState(DCB current, const TSerialSettings& settings) {
  DCB state = current;
  state.DCBlength = sizeof state;
  state.BaudRate = settings.Baud;
  state.ByteSize = settings.DataBits;
  state.fBinary = TRUE;
  state.fParity = settings.Parity != 'N';
  state.Parity = settings.Parity == 'E' ? EVENPARITY : settings.Parity == 'O' ? ODDPARITY : NOPARITY;
  state.StopBits = settings.StopBits == 2 ? TWOSTOPBITS : ONESTOPBIT;
  state.fOutxCtsFlow = state.fOutxDsrFlow = FALSE;
  state.fDsrSensitivity = FALSE;
  state.fOutX = state.fInX = FALSE;
  state.fTXContinueOnXoff = TRUE;
  // A meter's answer carries 0x00 bytes and may be damaged by noise: both must reach the
  // plug-in as they came, whose checksum check rejects a damaged frame.
  state.fNull = FALSE;
  state.fErrorChar = FALSE;
  // Otherwise one parity error fails every later read and write until the error is cleared.
  state.fAbortOnError = FALSE;
  state.fDtrControl = DTR_CONTROL_ENABLE;
  state.fRtsControl = RTS_CONTROL_ENABLE;
  return state;
}

COMMTIMEOUTS SerialPortTimeouts(uint32_t readMs, uint32_t baud) {
  COMMTIMEOUTS timeouts{};
  timeouts.ReadIntervalTimeout = MAXDWORD;
  timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
  timeouts.ReadTotalTimeoutConstant = std::clamp<DWORD>(readMs, 1, MAXDWORD - 1);
  timeouts.WriteTotalTimeoutMultiplier = 2 * BitsPerByte * 1000 / std::max<DWORD>(baud, 1) + 1;
  timeouts.WriteTotalTimeoutConstant = WriteSlackMs;
  return timeouts;
}

}  // namespace cjt::host
