// TIntfRef: holds one counted reference to an interface and releases it when it goes.
#pragma once

#include <utility>

namespace cjt {

template <class TIntf>
class TIntfRef {
 public:
  TIntfRef() = default;
  ~TIntfRef() { Reset(); }
  TIntfRef(const TIntfRef&) = delete;
  TIntfRef& operator=(const TIntfRef&) = delete;
  TIntfRef(TIntfRef&& other) noexcept : Intf(std::exchange(other.Intf, nullptr)) {}

  // The address an out-parameter fills with a reference this holder then owns.
  TIntf** Receive() {
    Reset();
    return &Intf;
  }
  TIntf* Get() const { return Intf; }
  TIntf* operator->() const { return Intf; }
  explicit operator bool() const { return Intf != nullptr; }

  void Reset() {
    if (Intf != nullptr) std::exchange(Intf, nullptr)->Release();
  }

 private:
  TIntf* Intf = nullptr;
};

}  // namespace cjt
