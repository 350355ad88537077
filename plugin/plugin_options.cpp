// The instance's side of GetModuleInfo and ShowOptionsDialog.
#include <cstring>

#include "platform/text_encoding.h"
#include "platform/thread.h"
#include "plugin/call_context.h"
#include "plugin/call_params.h"
#include "plugin/instance_list.h"
#include "plugin/kro_plugin.h"
#include "plugin/module_info.h"
#include "support/application_error.h"

namespace cjt {

namespace {

std::string Utf8Of(const std::string& text) { return platform::WideToUtf8(platform::AnsiToWide(text)); }

}  // namespace

bool TkroPlugin::FillModuleInfo(void* info, uint32_t& needed) {
  const std::string description = Utf8Of(Description);
  const std::string commands = Utf8Of(CustomCommands.Text());
  needed = ModuleInfoHeaderSize + static_cast<uint32_t>(description.size() + commands.size());
  if (info == nullptr) return false;
  uint32_t size = 0;
  std::memcpy(&size, info, sizeof(size));
  if (size < ModuleInfoHeaderSize) return false;
  TPluginModuleInfo header{};
  header.Size = size;
  header.TypeBits = ModuleType | (static_cast<uint32_t>(Features & 0x07) << 16);
  header.InterfaceVersion = PluginInterfaceVersion;
  header.ModuleVersion = ModuleVersion;
  header.InfoFlag = InfoFlag;
  const bool fits = needed <= size;
  if (fits) {
    auto* block = static_cast<char*>(info);
    std::memcpy(block + ModuleInfoHeaderSize, description.data(), description.size());
    std::memcpy(block + ModuleInfoHeaderSize + description.size(), commands.data(), commands.size());
    if (!description.empty()) {
      header.DescriptionLength = static_cast<uint32_t>(description.size());
      header.DescriptionText = reinterpret_cast<uintptr_t>(block + ModuleInfoHeaderSize);
    }
    if (!commands.empty()) {
      header.CommandsLength = static_cast<uint32_t>(commands.size());
      header.CommandsText = reinterpret_cast<uintptr_t>(block + ModuleInfoHeaderSize + description.size());
    }
  }
  std::memcpy(info, &header, sizeof(header));
  return fits;
}

void TkroPlugin::ShowOptions(TPluginCallRecord& record) {
  if (!OnShowOptionsDialog) {
    record.Output.Data = 3;
    return;
  }
  const bool inputIsList = record.Input.Kind == DataKindListObject;
  TCallContext context(record);
  record.Output.Data = 4;
  if (IkroParamsListA* params = context.Params()) {
    if (auto iniFile = GivenText(params, "INI-FILE")) INIFile = *iniFile;
    ApplyLanguageSettings(params);
    if (auto form = GivenInteger(params, "OWNER-FORM")) OwnerForm = static_cast<uint32_t>(*form);
  }
  OptionsShown = true;
  OptionsMode = record.Mode;
  if (inputIsList) OptionsData = BlockList(record.Input);
  try {
    uint8_t result = 0;
    OnShowOptionsDialog(*this, record, result);
    record.Output.Data = result;
    if (result != 0) ReloadSharingInstances();
  } catch (...) {
    AddLog(LogLevelError, ExceptionMessage(std::current_exception()) + " {SHOWOPTIONS}");
  }
  OptionsShown = false;
  OptionsData = nullptr;
  OptionsMode = 0;
}

// Every instance that keeps its settings under the same registry path reloads them, this
// one too, since the dialog has just stored them: at once on its loader thread, else when
// its host passes on message 1812.
void TkroPlugin::ReloadSharingInstances() {
  TInstanceList* list = TInstanceList::Get();
  if (list == nullptr) return;
  for (uintptr_t handle : list->Handles()) {
    try {
      TInstanceCall sibling(handle);
      if (!sibling || sibling->ModuleRegistryPath != ModuleRegistryPath || !sibling->OnLoadSettingsNow) continue;
      if (sibling->LoaderThreadId == platform::CurrentThreadId())
        sibling->OnLoadSettingsNow(*sibling);
      else
        sibling->NotifyHost(MessageReloadSettings);
    } catch (...) {
      // One sibling's failure does not stop the others.
    }
  }
}

}  // namespace cjt
