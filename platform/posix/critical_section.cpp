#include <mutex>

#include "platform/critical_section.h"

namespace cjt::platform {

struct TCriticalSection::TImpl {
  std::recursive_mutex Mutex;
};

TCriticalSection::TCriticalSection() : Impl(std::make_unique<TImpl>()) {}
TCriticalSection::~TCriticalSection() = default;
void TCriticalSection::Enter() { Impl->Mutex.lock(); }
bool TCriticalSection::TryEnter() { return Impl->Mutex.try_lock(); }
void TCriticalSection::Leave() { Impl->Mutex.unlock(); }

}  // namespace cjt::platform
