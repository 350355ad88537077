// Module parameters: the instance's properties as GET-MODULE-PARAMETER reads them and
// SET-MODULE-PARAMETER writes them, the parser-item entries by index, and the custom
// parameters that the host keeps in the instance.
#include <functional>
#include <map>
#include <optional>

#include "params/kro_params_list_item.h"
#include "platform/module.h"
#include "platform/text_encoding.h"
#include "plugin/kro_plugin.h"
#include "plugin/module_paths.h"
#include "support/text_values.h"

namespace cjt {

namespace {

// Handles are pointer-sized: an integer of that width.
TVariant HandleValue(uintptr_t handle) {
  if constexpr (sizeof(uintptr_t) == 4)
    return TVariant(static_cast<int32_t>(handle));
  else
    return TVariant(static_cast<int64_t>(handle));
}

TVariant SetBits(uint8_t bits) { return TVariant(static_cast<int32_t>(bits)); }

std::string TextOf(const TVariant& value) { return value.IsNull() ? std::string() : value.AsString(); }

bool IsTestTranslation() {
  for (const std::string& argument : platform::ProgramArguments())
    if (argument == "/TESTTRANSL") return true;
  return false;
}

using TGetter = std::function<TVariant(TkroPlugin&)>;

// Readable properties by lower-case name.
const std::map<std::string, TGetter>& Getters() {
  static const std::map<std::string, TGetter> getters = {
      {"logtitle", [](TkroPlugin& p) { return TVariant(p.LogTitle()); }},
      {"description", [](TkroPlugin& p) { return TVariant(p.Description); }},
      {"eventssupported", [](TkroPlugin& p) { return TVariant(p.EventsSupported); }},
      {"customcommands", [](TkroPlugin& p) { return TVariant(p.CustomCommands.Text()); }},
      {"translatorcomponentproperties", [](TkroPlugin& p) { return TVariant(p.TranslatedProperties()); }},
      {"moduletype", [](TkroPlugin& p) { return SetBits(p.ModuleType); }},
      {"moduleenabled", [](TkroPlugin& p) { return SetBits(p.EnabledModuleTypes()); }},
      {"moduledllhandle", [](TkroPlugin& p) { return HandleValue(p.ModuleDllHandle); }},
      {"moduleloadcount", [](TkroPlugin& p) { return TVariant(p.ModuleLoadCount.load()); }},
      {"moduleindex", [](TkroPlugin& p) { return TVariant(static_cast<int32_t>(p.ModuleIndex.load())); }},
      {"modulepluginhandle", [](TkroPlugin& p) { return HandleValue(p.Handle); }},
      {"modulepath", [](TkroPlugin& p) { return TVariant(p.ModulePath); }},
      {"moduledatapath", [](TkroPlugin& p) { return TVariant(ModuleDataPath(p)); }},
      {"appdatapath", [](TkroPlugin& p) { return TVariant(AppDataPath(p.ModuleRegistryPath)); }},
      {"modulename", [](TkroPlugin& p) { return TVariant(p.ModuleName); }},
      {"moduleloadforconfig", [](TkroPlugin& p) { return TVariant(p.ModuleLoadForConfig); }},
      {"moduleconfigid", [](TkroPlugin& p) { return TVariant(ModuleConfigId(p.INISectionPrefix)); }},
      {"applicationfullname", [](TkroPlugin& p) { return TVariant(p.ApplicationFullName); }},
      {"inifile", [](TkroPlugin& p) { return TVariant(p.INIFile); }},
      {"moduleregistryroot1", [](TkroPlugin& p) { return TVariant(static_cast<int32_t>(p.ModuleRegistryRoot1)); }},
      {"moduleregistryroot2", [](TkroPlugin& p) { return TVariant(static_cast<int32_t>(p.ModuleRegistryRoot2)); }},
      {"moduleregistrypath", [](TkroPlugin& p) { return TVariant(p.ModuleRegistryPath); }},
      {"inisectionprefix", [](TkroPlugin& p) { return TVariant(p.INISectionPrefix); }},
      {"displayfullversion", [](TkroPlugin& p) { return TVariant(p.DisplayFullVersion); }},
      {"parseritems", [](TkroPlugin& p) { return TVariant(ParserItemsText(p.ParserItems)); }},
      {"parseritemscount", [](TkroPlugin& p) { return TVariant(static_cast<int32_t>(p.ParserItems.size())); }},
      {"datasourceloadfor", [](TkroPlugin& p) { return TVariant(p.DataSourceLoadFor); }},
      {"terminatenow", [](TkroPlugin& p) { return TVariant(p.TerminateNow.load()); }},
      {"istemporaryload", [](TkroPlugin& p) { return TVariant(p.IsTemporaryLoad.load()); }},
      {"parentapp", [](TkroPlugin& p) { return HandleValue(p.ParentApp); }},
      {"owner-form", [](TkroPlugin& p) { return TVariant(static_cast<int32_t>(p.OwnerForm)); }},
      {"testtransl", [](TkroPlugin&) { return TVariant(IsTestTranslation()); }},
  };
  return getters;
}

using TSetter = std::function<bool(TkroPlugin&, const TVariant&)>;

// Writable properties by lower-case name; each answers whether it took the value.
const std::map<std::string, TSetter>& Setters() {
  static const std::map<std::string, TSetter> setters = {
      {"logtitle", [](TkroPlugin& p, const TVariant& v) { return p.SetLogTitle(TextOf(v)), true; }},
      {"description", [](TkroPlugin& p, const TVariant& v) { return p.Description = TextOf(v), true; }},
      {"eventssupported", [](TkroPlugin& p, const TVariant& v) { return p.EventsSupported = TextOf(v), true; }},
      {"customcommands",
       [](TkroPlugin& p, const TVariant& v) { return p.CustomCommands.AddFromText(TextOf(v)), true; }},
      {"parseritems",
       [](TkroPlugin& p, const TVariant& v) { return SetParserItemsFromText(p.ParserItems, TextOf(v), true), true; }},
      {"moduletype",
       [](TkroPlugin& p, const TVariant& v) {
         try {
           p.ModuleType = static_cast<uint8_t>(v.AsInteger() & 0xFF);
           return true;
         } catch (const EVariantError&) {
           return false;
         }
       }},
      {"owner-form",
       [](TkroPlugin& p, const TVariant& v) { return p.OwnerForm = static_cast<uint32_t>(v.AsInt64()), true; }},
      {"subscribe-for-data",
       [](TkroPlugin& p, const TVariant& v) { return p.SubscribedForData = v.AsBoolean(), true; }},
      {"translatorcomponentproperties",
       [](TkroPlugin& p, const TVariant& v) { return p.AddTranslatedProperties(TextOf(v)), true; }},
  };
  return setters;
}

// The three parser-item parameters: a 14-character prefix, then the index.
enum class TItemField { Name, Desc, Type };

std::optional<TItemField> ItemFieldOf(std::string_view name) {
  if (name.substr(0, 14) == "ParserItemName") return TItemField::Name;
  if (name.substr(0, 14) == "ParserItemDesc") return TItemField::Desc;
  if (name.substr(0, 14) == "ParserItemType") return TItemField::Type;
  return std::nullopt;
}

TVariant ItemFieldValue(const TParserItems& items, TItemField field, std::string_view name) {
  const std::optional<int32_t> index = TryTextToInt(name.substr(14, 3));
  if (!index || *index < 0 || static_cast<size_t>(*index) >= items.size()) return TVariant();
  const TParserItem& item = items[static_cast<size_t>(*index)];
  switch (field) {
    case TItemField::Name:
      return TVariant(item.Name);
    case TItemField::Desc:
      return TVariant(item.Description);
    case TItemField::Type:
      return TVariant(static_cast<int32_t>(item.Type));
  }
  return TVariant();
}

// A custom parameter's key: the name after "Custom" and one leading " ", ":" or "_".
std::optional<std::string> CustomKey(std::string_view name) {
  if (name.substr(0, 6) != "Custom") return std::nullopt;
  std::string_view key = name.substr(6);
  if (!key.empty() && (key[0] == ' ' || key[0] == ':' || key[0] == '_')) key.remove_prefix(1);
  if (key.empty()) return std::nullopt;
  return std::string(key);
}

// A key of fewer than three characters that is a decimal number addresses an entry by
// index; any other key by name.
int32_t CustomIndex(const std::string& key) { return key.size() < 3 ? TryTextToInt(key).value_or(-1) : -1; }

constexpr char CustomCountKey[] = "COUNT";

}  // namespace

uint8_t TkroPlugin::EnabledModuleTypes() const {
  uint8_t bits = 0;
  for (int type = 0; type < 8; ++type)
    if ((ModuleType & (1u << type)) && EnabledTypes[type]) bits |= static_cast<uint8_t>(1u << type);
  return bits;
}

// Named properties come first, so that "CustomCommands" is never taken for a custom key.
TVariant TkroPlugin::GetModuleParameter(const std::string& name) {
  auto getter = Getters().find(platform::AsciiLowerCase(name));
  if (getter != Getters().end()) return getter->second(*this);
  if (const std::optional<TItemField> field = ItemFieldOf(name)) return ItemFieldValue(ParserItems, *field, name);
  if (const std::optional<std::string> key = CustomKey(name)) return GetCustomParameter(*key);
  return TVariant();
}

bool TkroPlugin::SetModuleParameter(const std::string& name, const TVariant& value) {
  auto setter = Setters().find(platform::AsciiLowerCase(name));
  if (setter != Setters().end()) return setter->second(*this, value);
  const std::optional<std::string> key = CustomKey(name);
  if (key) SetCustomParameter(*key, value);
  return key.has_value();
}

TVariant TkroPlugin::GetCustomParameter(const std::string& key) {
  TReadLocked<TkroThreadParamsList> list(ModuleParams());
  if (key == CustomCountKey) return TVariant(list->Count());
  const int32_t index = CustomIndex(key);
  if (index >= 0) return index < list->Count() ? list->Items(index)->Value() : TVariant::Null();
  return list->IndexOf(key) >= 0 ? list->GetValue(key) : TVariant::Null();
}

void TkroPlugin::SetCustomParameter(const std::string& key, const TVariant& value) {
  TWriteLocked<TkroThreadParamsList> list(ModuleParams());
  if (key == CustomCountKey) return list->Clear();
  const int32_t index = CustomIndex(key);
  if (index >= 0) {
    if (index < list->Count()) list->Items(index)->SetValue(value);
    return;
  }
  list->SetValue(key, value, true);
}

}  // namespace cjt
