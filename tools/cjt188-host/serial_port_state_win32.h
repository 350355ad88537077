// The state a Windows serial port is put in for the host's line: the device control block
// and the time-outs of reads and writes.
#pragma once

#include <windows.h>

#include <cstdint>

#include "tools/cjt188-host/host_options.h"

namespace cjt::host {

// The port's current state changed to the line's settings: raw 8-bit (or 7-bit) bytes, no
// flow control in either direction, no byte dropped or replaced, DTR and RTS on (they power
// many bus converters) and a parity or framing error that does not stop the port. Whatever a
// program that used the port before left in the driver is overwritten.
DCB SerialPortState(DCB current, const TSerialSettings& settings);

// A read returns at once with what the driver holds, or waits up to readMs for the first byte
// and returns with it (readMs kept within 1 ms and MAXDWORD - 1, where drivers wait this way).
// A write may take twice the bytes' time on the line plus two seconds before it times out.
COMMTIMEOUTS SerialPortTimeouts(uint32_t readMs, uint32_t baud);

}  // namespace cjt::host
