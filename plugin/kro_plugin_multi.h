// TkroPluginMulti: the base of the per-connection parser clients. It keeps the 32-bit
// value its constructor is given.
#pragma once

#include <cstdint>

namespace cjt {

class TkroPluginMulti {
 public:
  explicit TkroPluginMulti(uint32_t value) : FValue(value) {}
  virtual ~TkroPluginMulti() = default;
  TkroPluginMulti(const TkroPluginMulti&) = delete;
  TkroPluginMulti& operator=(const TkroPluginMulti&) = delete;

  uint32_t Value() const { return FValue; }

  // The base answers -2: the client offers nothing of its own here.
  virtual void QueryResult(int32_t& result) const { result = -2; }

 private:
  uint32_t FValue;
};

}  // namespace cjt
