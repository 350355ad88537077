// The instance's translation and settings: the translator's setup, the LANGUAGE
// argument, and the load and save wrappers around the settings store.
#include <fstream>
#include <mutex>

#include "platform/module.h"
#include "plugin/call_params.h"
#include "plugin/kro_plugin.h"
#include "plugin/wreg.h"
#include "support/text_resources.h"
#include "support/text_values.h"

namespace cjt {

namespace {

// The handler that lets a text-resource component translate its own strings; registered
// once per process.
void RegisterTextResourcesHandler() {
  static std::once_flag registered;
  std::call_once(registered, [] {
    TWtransl::RegisterComponentHandler("TCustomTextResources", "*", [](TWtransl& translator, TComponent& component) {
      if (auto* resources = dynamic_cast<TCustomTextResources*>(&component))
        resources->TranslateSelf([&translator](const std::string& text) { return translator.TranslateText(text); });
    });
  });
}

std::string DirectoryOf(const std::string& fileName) { return fileName.substr(0, fileName.find_last_of("/\\") + 1); }

}  // namespace

// plugins.lng beside the host first, then the plug-in's own .lng file, which overrides it.
void TkroPlugin::SetUpTranslator() {
  RegisterTextResourcesHandler();
  FTranslator = std::make_unique<TWtransl>();
  const std::string ownFile = ModulePath + ModuleName;
  const size_t dot = ownFile.find_last_of('.');
  const size_t slash = ownFile.find_last_of("/\\");
  const std::string ownLanguageFile =
      (dot != std::string::npos && (slash == std::string::npos || dot > slash) ? ownFile.substr(0, dot) : ownFile) +
      ".lng";
  FTranslator->LanguageFile = DirectoryOf(platform::ProgramFileName()) + "plugins.lng|" + ownLanguageFile;
  FTranslator->BaseLanguage = "EN";
  Language = "EN";
  if (std::ifstream(ownLanguageFile).good())
    Language = FTranslator->GetLanguages();
  else
    FTranslator->LanguageFile.clear();
  for (const char* name : {"MsgNoData", "MsgWriteComplete", "MsgWriteCompleteError"})
    FTranslator->ComponentProperties.emplace_back(name);
}

void TkroPlugin::ApplyTranslation() {
  if (TranslationApplied || Language.empty()) return;
  FTranslator->Translate(Language, this, nullptr, "EN");
  TranslationApplied = true;
}

void TkroPlugin::TranslateComponent(TComponent& component) {
  FTranslator->Translate(Language.empty() ? "NONE" : Language, &component, nullptr, "EN");
}

// The description leaves open which comparison triggers the re-translation; its literal
// reading ("only when equal") never switches languages. Here a different language does.
void TkroPlugin::ApplyLanguageSettings(IkroParamsListA* params) {
  const std::optional<std::string> given = GivenText(params, "LANGUAGE");
  if (!given) return;
  const std::string language(TrimBlanks(*given));
  if (language.empty() || SameText(language, Language)) return;
  Language = language;
  TranslationApplied = false;
  ApplyTranslation();
  if (OnLanguageChange) {
    try {
      OnLanguageChange(*this);
    } catch (...) {
      LogError("TRANSL", std::current_exception());
    }
  }
  Language = language;
}

bool TkroPlugin::RunSettings(TComponent& root, const std::vector<std::string>& propertyList, const std::string& iniFile,
                             bool saving) {
  TWreg store;
  store.RegistryRoot = ModuleRegistryRoot1;
  store.SecondRegistryRoot = ModuleRegistryRoot2;
  if (!ModuleRegistryPath.empty()) store.RegistryPath = ModuleRegistryPath;
  store.INIFileSectionPrefix = INISectionPrefix;
  store.INIFile = iniFile.empty() ? INIFile : iniFile;
  store.Components = propertyList;
  struct TFlag {
    std::atomic<bool>& Flag;
    explicit TFlag(std::atomic<bool>& flag) : Flag(flag) { Flag = true; }
    ~TFlag() { Flag = false; }
  } inProgress(SettingsInProgress);
  return saving ? store.Save(root) : store.Load(root);
}

bool TkroPlugin::LoadSettings(TComponent& root, const std::vector<std::string>& propertyList,
                              const std::string& iniFile) {
  return RunSettings(root, propertyList, iniFile, false);
}

bool TkroPlugin::SaveSettings(TComponent& root, const std::vector<std::string>& propertyList,
                              const std::string& iniFile) {
  return RunSettings(root, propertyList, iniFile, true);
}

}  // namespace cjt
