// The options block that GetOptionsDialog hands the host: the form text,
// the properties text and the script, found in the module's raw-data resources or named by
// the instance's OnGetOptionsDialog handler, behind a header of three (offset, length) pairs.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "plugin/call_record.h"

namespace cjt {

class TkroPlugin;

// Output.Data of GetOptionsDialog besides the total size of a copied block.
inline constexpr uintptr_t OptionsStatusFailed = 1;
inline constexpr uintptr_t OptionsStatusNothing = 2;
inline constexpr uintptr_t OptionsStatusTooSmall = 3;
inline constexpr uint32_t OptionsHeaderSize = 24;

struct TOptionsTexts {
  std::string Form;
  std::string Properties;
  std::string Script;
};

// The form name the host gave: the Input buffer's bytes up to the first zero byte, at most
// Input.Size of them; empty without a buffer.
std::string OptionsFormName(const TPluginCallRecord& record);

// The stored form and script: with a name, the resources named by the upper-cased name and
// by that name followed by "_CODE"; without one, the script of resource FORM_DATA and the
// form named by the upper-cased content of resource FORM_NAME. A missing resource is empty.
void LoadStoredOptionsForm(std::string_view formName, TOptionsTexts& texts);

// The block: the 24-byte header (offset and length, u32 little-endian, for the form, the
// properties and the script; the first offset is 24), then the three texts in that order.
std::string OptionsBlock(const TOptionsTexts& texts);

// GetOptionsDialog for an instance found by the export: Output.Kind 5, Output.Size 0 and
// status 1 first; then status 2 (nothing to show), 3 with Output.Size the size needed, or
// the block copied to Input.Data with Output.Kind 2 and Output.Data its size. Exceptions
// (of the handler too) propagate: the export turns them into status 1.
void AnswerOptionsDialog(TkroPlugin& instance, TPluginCallRecord& record);

}  // namespace cjt
