// Decompression of the gzip streams the plug-in ships, with zlib, for the tests.
#pragma once

#include <zlib.h>

#include <optional>
#include <string>
#include <string_view>

namespace cjt::test_support {

// Whether the stream starts as a plain gzip member: magic 1F 8B, method 8 (deflate), no
// flags (no name, comment, extra field or header checksum) and a modification time of 0.
inline bool IsPlainGzip(std::string_view stream) {
  return stream.size() >= 18 && stream.substr(0, 8) == std::string_view("\x1f\x8b\x08\x00\x00\x00\x00\x00", 8);
}

// The content of a single gzip member that fills the whole stream; nullopt when zlib
// refuses it or bytes follow the member.
inline std::optional<std::string> Gunzip(std::string_view stream) {
  z_stream z{};
  if (inflateInit2(&z, 16 + MAX_WBITS) != Z_OK) return std::nullopt;  // 16: gzip wrapper only
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stream.data()));
  z.avail_in = static_cast<uInt>(stream.size());
  std::string out;
  char chunk[4096];
  int status = Z_OK;
  while (status == Z_OK) {
    z.next_out = reinterpret_cast<Bytef*>(chunk);
    z.avail_out = sizeof chunk;
    status = inflate(&z, Z_NO_FLUSH);
    out.append(chunk, sizeof chunk - z.avail_out);
  }
  const bool whole = status == Z_STREAM_END && z.avail_in == 0;
  inflateEnd(&z);
  if (!whole) return std::nullopt;
  return out;
}

}  // namespace cjt::test_support
