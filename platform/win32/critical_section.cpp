#include <windows.h>

#include "platform/critical_section.h"

namespace cjt::platform {

struct TCriticalSection::TImpl {
  CRITICAL_SECTION Section;
};

TCriticalSection::TCriticalSection() : Impl(std::make_unique<TImpl>()) { InitializeCriticalSection(&Impl->Section); }
TCriticalSection::~TCriticalSection() { DeleteCriticalSection(&Impl->Section); }
void TCriticalSection::Enter() { EnterCriticalSection(&Impl->Section); }
bool TCriticalSection::TryEnter() { return TryEnterCriticalSection(&Impl->Section) != FALSE; }
void TCriticalSection::Leave() { LeaveCriticalSection(&Impl->Section); }

}  // namespace cjt::platform
