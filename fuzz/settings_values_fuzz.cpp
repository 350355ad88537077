// Any stored settings value, in every form the settings store keeps one (registry text,
// integer or bytes, an INI value, a value handed over through the callbacks, or the file of
// the registry store itself), reads back as every kind of property without a crash. What
// was read, saved and read again reads the same. The registry store, the INI file and the
// INI file's lock file all live in this target's scratch folder, emptied per input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "fuzz/scratch_folder.h"
#include "platform/registry.h"
#include "plugin/wreg.h"
#include "support/component.h"
#include "support/text_lines.h"

namespace {

using cjt::TPropKind;
using cjt::TPropValue;
using cjt::TWreg;

constexpr char RegistryPath[] = "\\Software\\cjt188-fuzz";

// The scratch folder holds the registry store and the lock files of INI files.
struct TSandbox {
  TSandbox() {
    setenv("CJT_REGISTRY_FILE", Folder.File("registry").c_str(), 1);
    setenv("TMPDIR", Folder.Path.c_str(), 1);
  }
  const cjt::fuzz::TScratchFolder Folder{"cjt188-settings-values-fuzz"};
};

const cjt::fuzz::TScratchFolder& Folder() {
  static const TSandbox sandbox;
  return sandbox.Folder;
}

// One property of every kind the store tells apart.
class TAllKinds : public cjt::TComponent {
 public:
  TAllKinds() : TComponent("TAllKinds", "All") {
    BindInteger("Integer", Integer);
    AddProperty({"Int64", TPropKind::Int64, [this] { return TPropValue(Int64); },
                 [this](const TPropValue& value) { Int64 = cjt::PropValueInteger(value); }});
    BindFloat("Float", Float);
    BindString("Char", Char, TPropKind::Char);
    BindBoolean("Boolean", Boolean);
    BindString("String", String);
    BindString("WideString", WideString, TPropKind::WideString);
    BindString("Variant", Variant, TPropKind::Variant);
    BindString("Strings", Strings, TPropKind::Strings);
  }
  // Every property under the one value name, or each under a value name of its own.
  std::vector<std::string> Entries(bool sharedValue) const {
    std::vector<std::string> entries;
    for (const cjt::TPropDef& property : Properties())
      entries.push_back("All." + property.Name + "," + (sharedValue ? "Value" : property.Name));
    return entries;
  }
  // Every property as text; a string list by its lines, without empty lines at its end (its
  // text, the lines joined by CR LF, cannot tell how many there were).
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const cjt::TPropDef& property : Properties()) {
      std::string text = cjt::PropValueText(property.Get());
      if (property.Kind == TPropKind::Strings) {
        std::string lines;
        for (std::string_view line : cjt::SplitLines(text)) lines.append(line).push_back('\n');
        text = lines.substr(0, lines.find_last_not_of('\n') + 1);
      }
      texts.push_back(text);
    }
    return texts;
  }

 private:
  int32_t Integer = 7;
  int64_t Int64 = 7;
  double Float = 7.5;
  std::string Char = "c";
  bool Boolean = true;
  std::string String = "text";
  std::string WideString = "wide";
  std::string Variant = "variant";
  std::string Strings = "a\r\nb";
};

enum class TForm { RegistryText, RegistryInteger, RegistryBytes, IniValue, Callback, RegistryFile, Count };

std::unique_ptr<cjt::platform::TRegistryKey> Key() {
  return cjt::platform::TRegistryKey::Open(cjt::platform::RootCurrentUser, RegistryPath, true);
}

// The value handed over through the callbacks: a text, an integer or a float.
TPropValue CallbackValue(const std::string& bytes) {
  if (bytes.empty()) return TPropValue(bytes);
  const std::string rest = bytes.substr(1);
  if (bytes[0] % 3 == 0) return TPropValue(rest);
  if (bytes[0] % 3 == 1) {
    int64_t number = 0;
    std::memcpy(&number, rest.data(), std::min(rest.size(), sizeof(number)));
    return TPropValue(number);
  }
  double real = 0;
  std::memcpy(&real, rest.data(), std::min(rest.size(), sizeof(real)));
  return TPropValue(real);
}

// Stores the bytes in the form and returns the store that reads them.
TWreg Stored(TForm form, const std::string& bytes, std::map<std::string, TPropValue>& callbackValues) {
  TWreg store;
  store.RegistryRoot = store.SecondRegistryRoot = cjt::platform::RootCurrentUser;
  store.RegistryPath = RegistryPath;
  store.Components = TAllKinds().Entries(true);
  switch (form) {
    case TForm::RegistryText:
      Key()->WriteText("Value", bytes);
      break;
    case TForm::RegistryInteger: {
      int64_t number = 0;
      std::memcpy(&number, bytes.data(), std::min(bytes.size(), sizeof(number)));
      Key()->WriteInt64("Value", number);
      break;
    }
    case TForm::RegistryBytes:
      Key()->WriteBinary("Value", std::vector<uint8_t>(bytes.begin(), bytes.end()));
      break;
    case TForm::IniValue: {
      const std::string content = "[Common]\r\nValue=" + bytes + "\r\n";
      store.INIFile = Folder().Write("settings.ini", reinterpret_cast<const uint8_t*>(content.data()), content.size());
      break;
    }
    case TForm::Callback:
      store.INIFile = TWreg::CustomStorage;
      for (const std::string& entry : store.Components)
        callbackValues[TWreg::ParseEntry(entry)->Property] = CallbackValue(bytes);
      store.GetValue = [&](TWreg&, const TWreg::TEntry& entry, TPropKind, TPropValue& value) {
        value = callbackValues[entry.Property];
      };
      store.SetValue = [&](TWreg&, const TWreg::TEntry& entry, TPropKind, TPropValue& value) {
        callbackValues[entry.Property] = value;
      };
      break;
    default:
      Folder().Write("registry", reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
      break;
  }
  return store;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  Folder().Empty();
  const auto form = static_cast<TForm>(data[0] % static_cast<uint8_t>(TForm::Count));
  std::map<std::string, TPropValue> callbackValues;
  TWreg store = Stored(form, std::string(reinterpret_cast<const char*>(data + 1), size - 1), callbackValues);
  TAllKinds first;
  store.Load(first);
  // Saved each under its own name, so that no property's text overwrites another's.
  store.Components = first.Entries(false);
  if (!store.Save(first)) return 0;
  TAllKinds second;
  store.Load(second);
  if (first.Texts() != second.Texts()) std::abort();
  return 0;
}
