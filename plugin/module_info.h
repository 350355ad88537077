// The module-information block that GetModuleInfo fills: a packed header followed by the
// texts it points to. Address fields are pointer-sized, so on 32-bit targets the header is
// exactly 33 bytes and on 64-bit targets it widens.
#pragma once

#include <cstddef>
#include <cstdint>

namespace cjt {

#pragma pack(push, 1)
struct TPluginModuleInfo {
  uint32_t Size;              // set by the host: bytes available at this address
  uint32_t TypeBits;          // bits 0-7 module types, bits 16-18 features 0-2
  uint32_t InterfaceVersion;  // low word 4, high word 0
  float ModuleVersion;
  uint8_t InfoFlag;
  uint32_t DescriptionLength;  // UTF-8 bytes
  uintptr_t DescriptionText;   // inside this block, after the header
  uint32_t CommandsLength;     // UTF-8 bytes of the custom-command table text
  uintptr_t CommandsText;      // directly after the description
};
#pragma pack(pop)

inline constexpr uint32_t ModuleInfoHeaderSize = sizeof(TPluginModuleInfo);
inline constexpr uint32_t PluginInterfaceVersion = 4;

#if UINTPTR_MAX == 0xFFFFFFFF
static_assert(sizeof(TPluginModuleInfo) == 33);
static_assert(offsetof(TPluginModuleInfo, TypeBits) == 4);
static_assert(offsetof(TPluginModuleInfo, InterfaceVersion) == 8);
static_assert(offsetof(TPluginModuleInfo, ModuleVersion) == 12);
static_assert(offsetof(TPluginModuleInfo, InfoFlag) == 16);
static_assert(offsetof(TPluginModuleInfo, DescriptionLength) == 17);
static_assert(offsetof(TPluginModuleInfo, DescriptionText) == 21);
static_assert(offsetof(TPluginModuleInfo, CommandsLength) == 25);
static_assert(offsetof(TPluginModuleInfo, CommandsText) == 29);
#endif

}  // namespace cjt
