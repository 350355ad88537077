#include <windows.h>

#include "platform/clock_source.h"

namespace cjt::platform {

namespace {

using TGetTickCount64 = ULONGLONG(WINAPI*)();

// GetTickCount64 exists from Windows Vista on; it is looked up by name once so that the
// library still loads where it is missing, and the 32-bit count is widened instead.
TGetTickCount64 LookUpGetTickCount64() {
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  if (!kernel) return nullptr;
  return reinterpret_cast<TGetTickCount64>(reinterpret_cast<void*>(GetProcAddress(kernel, "GetTickCount64")));
}

}  // namespace

uint64_t SystemTickCount64() {
  static const TGetTickCount64 getTickCount64 = LookUpGetTickCount64();
  if (getTickCount64) return getTickCount64();
  static TTickWidener widener;
  return widener.Widen(GetTickCount());
}

TCalendarTime SystemLocalTime() {
  SYSTEMTIME local{};
  GetLocalTime(&local);
  TCalendarTime result;
  result.Year = local.wYear;
  result.Month = local.wMonth;
  result.Day = local.wDay;
  result.Hour = local.wHour;
  result.Minute = local.wMinute;
  result.Second = local.wSecond;
  result.Millisecond = local.wMilliseconds;
  return result;
}

}  // namespace cjt::platform
