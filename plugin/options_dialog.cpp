#include "plugin/options_dialog.h"

#include <cstring>

#include "platform/raw_resources.h"
#include "plugin/kro_plugin.h"

namespace cjt {

namespace {

std::string ResourceText(std::string_view name) {
  const auto resource = platform::FindRawResource(name);
  return resource ? std::string(*resource) : std::string();
}

void PutU32(std::string& block, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) block[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

}  // namespace

std::string OptionsFormName(const TPluginCallRecord& record) {
  if (record.Input.Data == 0 || record.Input.Size == 0) return {};
  const char* buffer = reinterpret_cast<const char*>(record.Input.Data);
  const void* zero = std::memchr(buffer, 0, record.Input.Size);
  const size_t length = zero != nullptr ? static_cast<const char*>(zero) - buffer : record.Input.Size;
  return std::string(buffer, length);
}

void LoadStoredOptionsForm(std::string_view formName, TOptionsTexts& texts) {
  if (!formName.empty()) {
    const std::string name = platform::RawResourceName(formName);
    texts.Form = ResourceText(name);
    texts.Script = ResourceText(name + "_CODE");
  } else {
    texts.Script = ResourceText("FORM_DATA");
    texts.Form = ResourceText(platform::RawResourceName(ResourceText("FORM_NAME")));
  }
}

std::string OptionsBlock(const TOptionsTexts& texts) {
  std::string block(OptionsHeaderSize, '\0');
  size_t offset = OptionsHeaderSize;
  size_t field = 0;
  for (const std::string* text : {&texts.Form, &texts.Properties, &texts.Script}) {
    PutU32(block, field, static_cast<uint32_t>(offset));
    PutU32(block, field + 4, static_cast<uint32_t>(text->size()));
    block += *text;
    offset += text->size();
    field += 8;
  }
  return block;
}

void AnswerOptionsDialog(TkroPlugin& instance, TPluginCallRecord& record) {
  record.Output.Kind = DataKindNumber;
  record.Output.Size = 0;
  record.Output.Data = OptionsStatusFailed;

  TOptionsTexts texts;
  std::string formName = OptionsFormName(record);
  if (!instance.OnGetOptionsDialog || !formName.empty()) {
    LoadStoredOptionsForm(formName, texts);
  } else {
    instance.OnGetOptionsDialog(instance, record, texts.Properties, formName);
    if (texts.Properties.empty() && formName.empty()) {
      record.Output.Data = OptionsStatusNothing;
      return;
    }
    if (!formName.empty()) LoadStoredOptionsForm(formName, texts);
  }

  if (texts.Form.empty() && texts.Properties.empty() && texts.Script.empty()) {
    record.Output.Data = OptionsStatusNothing;
    return;
  }
  const std::string block = OptionsBlock(texts);
  // A size without a buffer is no place to copy to: the call fails.
  if (record.Input.Data == 0 && record.Input.Size != 0) return;
  if (record.Input.Size < block.size()) {
    record.Output.Data = OptionsStatusTooSmall;
    record.Output.Size = static_cast<uint32_t>(block.size());
    return;
  }
  std::memcpy(reinterpret_cast<void*>(record.Input.Data), block.data(), block.size());
  record.Output.Kind = DataKindByteBuffer;
  record.Output.Size = 0;
  record.Output.Data = block.size();
}

}  // namespace cjt
