// The device field of a configured request: one or more device texts separated by ";" or
// ",", turned into the ordered list of entries that requests are made for, and the
// 14-character address text of an entry.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cjt {

// Device texts that name no single meter: an answer from any address is accepted. Their
// address texts give the request addresses 0xAA, 0x99 and 0x00 seven times. The comparison
// is exact (case and length).
constexpr std::string_view BroadcastDeviceText = "AAAAAAAAAAAAAA";
constexpr std::string_view NinesDeviceText = "99999999999999";
constexpr std::string_view AnyDeviceText = "*";
bool IsSpecialDeviceText(std::string_view device);

// Splits at every ";" and ","; sorts the pieces ignoring letter case; keeps a piece when,
// trimmed of characters below 33, it reads as a non-negative signed 64-bit hexadecimal
// number and no piece with the same trimmed text (letter case included) was kept before.
// Kept entries keep their untrimmed text. Gives the single entry "*" when nothing is kept.
std::vector<std::string> ParseDeviceList(std::string_view field);

// Hexadecimal digits of either case and nothing else, with a value from 0 to 2^63 - 1;
// leading zeros do not count against the size.
bool IsDeviceNumber(std::string_view text);

// The entry without leading and trailing characters below 33.
std::string_view TrimDeviceEntry(std::string_view entry);

// The address text of an entry: the trimmed entry's first 14 characters, padded on the
// left with "0" to 14. "1234567" gives "00000001234567"; "*" gives "0000000000000*".
std::string DeviceAddressText(std::string_view entry);

}  // namespace cjt
