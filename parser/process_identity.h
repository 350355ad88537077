// A number that tells one object from every other object of the process that asked for one,
// for the whole life of the process. It is drawn from a process-wide counter on first use, so
// objects that never need it use none.
#pragma once

#include <atomic>
#include <cstdint>

namespace cjt {

class TProcessIdentity {
 public:
  TProcessIdentity() = default;
  // A copy is another object: it draws its own number.
  TProcessIdentity(const TProcessIdentity&) {}
  TProcessIdentity& operator=(const TProcessIdentity&) { return *this; }

  uint32_t Get() const;

 private:
  mutable std::atomic<uint32_t> Value{0};
};

}  // namespace cjt
