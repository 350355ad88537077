// Components and their property tables. Our components have no form streaming: each one
// lists its published properties explicitly (name, kind, getter, setter) and the components
// it owns, with a name and a tag. The translator and the settings store walk these tables.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace cjt {

// The kinds the settings store and the translator tell apart.
enum class TPropKind : uint8_t {
  Integer,      // 32-bit integer
  Int64,        // 64-bit integer
  Float,        // floating point
  Char,         // one character, as text
  Enumeration,  // enumerations and booleans, as their names ("True", "False")
  String,       // 8-bit text of the system
  WideString,   // Unicode text (held here as 8-bit text of the system too)
  Variant,      // any value, as text
  Strings,      // a string list (class kind): its lines joined by CR LF
};

// A property value: nothing (unassigned or null), an integer, a float or a text.
using TPropValue = std::variant<std::monostate, int64_t, double, std::string>;

struct TPropDef {
  std::string Name;
  TPropKind Kind = TPropKind::String;
  std::function<TPropValue()> Get;
  std::function<void(const TPropValue&)> Set;  // empty: read-only
};

// The value as text (integers in decimal, floats with up to 17 digits), and back.
std::string PropValueText(const TPropValue& value);
int64_t PropValueInteger(const TPropValue& value);
double PropValueFloat(const TPropValue& value);

class TComponent {
 public:
  TComponent(std::string className, std::string name = {});
  virtual ~TComponent();
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  const std::string& ClassName() const { return FClassName; }
  std::string Name;
  int32_t Tag = 0;

  const std::vector<TPropDef>& Properties() const { return FProperties; }
  // By name without regard to ASCII case; null when there is none.
  const TPropDef* FindProperty(std::string_view name) const;

  // The owned components, in the order they were added.
  const std::vector<TComponent*>& Components() const { return FComponents; }
  TComponent* FindComponent(std::string_view name) const;
  TComponent* Owner() const { return FOwner; }

  // Adds a component this one owns: kept alive by this one.
  template <class T>
  T& Own(std::unique_ptr<T> component) {
    T& added = *component;
    AddComponent(added);
    OwnedStorage.push_back(std::move(component));
    return added;
  }
  // Adds a component that lives as long as this one (a member of a derived class).
  void AddComponent(TComponent& component);

  // Whether the component is of that class or derives from it.
  bool InheritsFrom(std::string_view className) const;

  // What the translator wrote into a property (by property name) and the built-in text it
  // came from, so that a later translation starts from the built-in text again.
  struct TTranslatedText {
    std::string Original;
    std::string Translated;
  };
  std::map<std::string, TTranslatedText> TranslatedTexts;

 protected:
  void AddProperty(TPropDef property);
  // A derived class names the class it stands for (the class handlers of the translator
  // match ancestors too).
  void AddAncestorClass(std::string className) { FAncestors.push_back(std::move(className)); }
  // Properties bound to fields of the component.
  void BindString(std::string name, std::string& field, TPropKind kind = TPropKind::String);
  // A text that other threads read under guard: the property reads and writes it under it.
  void BindString(std::string name, std::string& field, std::mutex& guard);
  void BindInteger(std::string name, int32_t& field);
  void BindFloat(std::string name, double& field);
  void BindBoolean(std::string name, bool& field);

 private:
  std::string FClassName;
  std::vector<std::string> FAncestors;
  TComponent* FOwner = nullptr;
  std::vector<TPropDef> FProperties;
  std::vector<TComponent*> FComponents;
  std::vector<std::unique_ptr<TComponent>> OwnedStorage;
};

}  // namespace cjt
