#include <gtest/gtest.h>

#include <cstring>

#include "tools/cjt188-host/serial_port_state_win32.h"

namespace cjt::host {
namespace {

// A port as a program that used it before may have left it: every flag on.
DCB LeftOverState() {
  DCB state;
  std::memset(&state, 0xFF, sizeof state);
  return state;
}

TEST(SerialPortState, NothingLeftInTheDriverFiltersOrHoldsTheBytes) {
  const DCB state = SerialPortState(LeftOverState(), TSerialSettings{});
  EXPECT_EQ(state.DCBlength, sizeof(DCB));
  EXPECT_TRUE(state.fBinary);
  // No flow control in either direction: a meter line has no handshake wires.
  EXPECT_FALSE(state.fOutxCtsFlow);
  EXPECT_FALSE(state.fOutxDsrFlow);
  EXPECT_FALSE(state.fDsrSensitivity);
  EXPECT_FALSE(state.fOutX);
  EXPECT_FALSE(state.fInX);
  EXPECT_TRUE(state.fTXContinueOnXoff);
  // Answers hold 0x00 bytes, and damaged bytes must reach the checksum as they came.
  EXPECT_FALSE(state.fNull);
  EXPECT_FALSE(state.fErrorChar);
  // A parity error on a noisy line must not stop the port.
  EXPECT_FALSE(state.fAbortOnError);
  EXPECT_EQ(state.fDtrControl, static_cast<DWORD>(DTR_CONTROL_ENABLE));
  EXPECT_EQ(state.fRtsControl, static_cast<DWORD>(RTS_CONTROL_ENABLE));
}

TEST(SerialPortState, SpeedParityDataAndStopBitsAsConfigured) {
  struct TCase {
    TSerialSettings Settings;
    BYTE Parity;
    bool ParityChecked;
    BYTE StopBits;
  };
  const TCase cases[] = {
      {{2400, 8, 'E', 1}, EVENPARITY, true, ONESTOPBIT},
      {{9600, 8, 'N', 2}, NOPARITY, false, TWOSTOPBITS},
      {{1200, 7, 'O', 1}, ODDPARITY, true, ONESTOPBIT},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Settings.Parity);
    const DCB state = SerialPortState(LeftOverState(), c.Settings);
    EXPECT_EQ(state.BaudRate, c.Settings.Baud);
    EXPECT_EQ(state.ByteSize, c.Settings.DataBits);
    EXPECT_EQ(state.Parity, c.Parity);
    EXPECT_EQ(static_cast<bool>(state.fParity), c.ParityChecked);
    EXPECT_EQ(state.StopBits, c.StopBits);
  }
}

TEST(SerialPortTimeouts, ReadsReturnWithTheFirstByteOrAfterTheWait) {
  const COMMTIMEOUTS timeouts = SerialPortTimeouts(10, 2400);
  EXPECT_EQ(timeouts.ReadIntervalTimeout, MAXDWORD);
  EXPECT_EQ(timeouts.ReadTotalTimeoutMultiplier, MAXDWORD);
  EXPECT_EQ(timeouts.ReadTotalTimeoutConstant, 10u);
  // Outside 1 to MAXDWORD - 1 drivers would return at once or never.
  EXPECT_EQ(SerialPortTimeouts(0, 2400).ReadTotalTimeoutConstant, 1u);
  EXPECT_EQ(SerialPortTimeouts(MAXDWORD, 2400).ReadTotalTimeoutConstant, MAXDWORD - 1);
}

TEST(SerialPortTimeouts, AWriteHasTimeForItsBytesEvenAtTheLowestSpeed) {
  for (const uint32_t baud : {50u, 300u, 2400u, 115200u}) {
    SCOPED_TRACE(baud);
    const COMMTIMEOUTS timeouts = SerialPortTimeouts(10, baud);
    const double bytes = 512;
    const double lineMs = bytes * 11 * 1000 / baud;
    const double allowedMs = bytes * timeouts.WriteTotalTimeoutMultiplier + timeouts.WriteTotalTimeoutConstant;
    EXPECT_GT(allowedMs, lineMs);
    EXPECT_LT(allowedMs, 4 * lineMs + 5000);  // bounded: a stuck port is noticed
  }
}

}  // namespace
}  // namespace cjt::host
