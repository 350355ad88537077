// The CJ/T 188 module's message texts, with their built-in English values. The translator
// reaches them as a text-resource component; translation may replace them while clients
// read them on other threads, so both happen under the lock of the instance's texts.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#include "support/text_resources.h"

namespace cjt {

enum class TTextId : size_t {
  InvalidCrc,
  ErrorCode,
  ItemsFormation,
  ParseExpression,
  RequestTimeout,
  UnallowableAddress,
  DeviceAddress,
  RequestEcho,
};

inline constexpr size_t TextCount = 8;

class TTextResources : public TCustomTextResources {
 public:
  explicit TTextResources(std::mutex& lock);

  std::string Get(TTextId id) const;
  void Set(TTextId id, std::string_view text);
  // Translates the texts the first time, under the lock the readers take.
  void Translate(const std::function<std::string(const std::string&)>& translate);

 private:
  std::mutex& Mutex;
  std::array<std::string, TextCount> Texts{
      "Invalid CRC (%.2x,%.2x)",
      "Received message from %s with error code on request function %d [%s]",
      "Error on items formation (%s)",
      "Unable to parse expression \"%s\". Error at: %d",
      "Request timeout (ms)",
      "Unallowable address: %s",
      "Device address",
      "Echo of the request received",
  };
};

}  // namespace cjt
