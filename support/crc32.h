// The string checksum: CRC-32 of an 8-bit string with the reflected polynomial 0xEDB88320,
// starting value 0xFFFFFFFF and no final inversion ("abc" gives 0xCADBBE3D, the bitwise
// inverse of the usual CRC-32). Module configuration ids are made with it.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace cjt {

using TCrc32Table = std::array<uint32_t, 256>;

// Fills a table for the polynomial.
void BuildCrc32Table(TCrc32Table& table);

// The process-wide table, built on first use.
const TCrc32Table& Crc32Table();

uint32_t StringChecksum(std::string_view text, const TCrc32Table& table = Crc32Table());
// A null string gives the starting value 0xFFFFFFFF.
uint32_t StringChecksum(const char* text, const TCrc32Table& table = Crc32Table());

}  // namespace cjt
