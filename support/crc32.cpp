#include "support/crc32.h"

namespace cjt {

void BuildCrc32Table(TCrc32Table& table) {
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t value = i;
    for (int bit = 0; bit < 8; ++bit) value = (value & 1) ? (value >> 1) ^ 0xEDB88320u : value >> 1;
    table[i] = value;
  }
}

const TCrc32Table& Crc32Table() {
  static const TCrc32Table table = [] {
    TCrc32Table built{};
    BuildCrc32Table(built);
    return built;
  }();
  return table;
}

uint32_t StringChecksum(std::string_view text, const TCrc32Table& table) {
  uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char byte : text) crc = (crc >> 8) ^ table[(crc ^ byte) & 0xFFu];
  return crc;
}

uint32_t StringChecksum(const char* text, const TCrc32Table& table) {
  return text ? StringChecksum(std::string_view(text), table) : 0xFFFFFFFFu;
}

}  // namespace cjt
