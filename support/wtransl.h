// TWtransl: the translator. It loads plain-text language files into a pair cache (exact and
// lowercase maps from 8-bit source text to UTF-16 translation), walks components replacing
// the texts of chosen properties, and frees the cache 20 s after the last translation.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "support/component.h"

namespace cjt {

namespace platform {
class TThreadTimer;
}

// The pair cache: a later pair for the same key replaces the earlier one.
class TWtranslLanguagesList {
 public:
  void Add(const std::string& source, std::u16string translation);
  void Clear();
  size_t Count() const { return Exact.size(); }
  const std::u16string* FindExact(const std::string& source) const;
  const std::u16string* FindLower(const std::string& lowered) const;

 private:
  std::map<std::string, std::u16string> Exact;
  std::map<std::string, std::u16string> Lower;
};

class TWtransl {
 public:
  static constexpr int32_t SkipTag = 9999;        // skipped with what it owns
  static constexpr int32_t OwnerOnlyTag = 9998;   // not translated, what it owns is walked
  static constexpr int32_t CustomOnlyTag = 9997;  // only OnCustomTranslate
  static constexpr uint32_t ReleaseMs = 20000;

  // Without a release timer the cache stays until the next pair of languages.
  explicit TWtransl(bool withReleaseTimer = true);
  // Writes the collected texts in a save mode.
  ~TWtransl();
  TWtransl(const TWtransl&) = delete;
  TWtransl& operator=(const TWtransl&) = delete;

  std::string LanguageFile = "app.lng";  // paths joined by "|"
  std::vector<std::string> ComponentProperties{"CAPTION", "HINT", "TEXT", "TITLE", "CAPTIONS"};
  std::string BaseLanguage = "EN";

  // Translates component (and what it owns) or text from source (default: the base
  // language) into target (default: the files' default language); true when something was
  // translated.
  bool Translate(std::string target, TComponent* component, std::string* text = nullptr, std::string source = {});
  // One text by the lookup of the loaded pairs.
  std::string TranslateText(const std::string& text);
  // The default language of the files; list gets "display name,code" per language.
  std::string GetLanguages(std::vector<std::string>* list = nullptr);

  // Frees the pair cache (what the release timer does).
  void ReleaseCache();
  size_t CachedPairs();
  bool ReleasePending();

  // From the directives of the files.
  int SaveMode = 0;
  int WriteMode = 0;
  std::string Encoding;
  int Charset = 1;
  uint32_t CodePage = 0;
  int BiDiMode = 0;
  int32_t Locale = 0;

  // The texts collected in a save mode, in order, with the component path in mode 4.
  const std::vector<std::string>& CollectedTexts() const { return Collected; }

  // --- Events ---
  std::function<void(TWtransl&)> OnBeforeTranslate;
  std::function<void(TWtransl&)> OnAfterTranslate;
  std::function<void(TWtransl&, TComponent&, bool& cancel)> OnBeforeTranslateComponent;
  std::function<void(TWtransl&, TComponent&)> OnCustomTranslate;
  // May refuse a translation (accept := false) or change it.
  std::function<void(TWtransl&, const std::string& text, std::string& translation, bool& accept)> OnTranslateText;

  // --- Class handlers (process-wide, first match in registration order) ---
  // Called for every translated component of that class (or a derived one) after its
  // properties; the mask is "*" for all properties.
  using TComponentHandler = std::function<void(TWtransl&, TComponent&)>;
  static void RegisterComponentHandler(const std::string& className, const std::string& mask,
                                       TComponentHandler handler);
  static void UnregisterComponentHandlers(const std::string& className);

 private:
  void LoadFiles(const std::string& source, const std::string& target);
  void LoadFile(const std::string& fileName, const std::string& source, const std::string& target);
  void Walk(TComponent& owner, const std::string& path);
  void TranslateComponent(TComponent& component, const std::string& path);
  std::string Lookup(const std::string& text, bool& found);
  std::string TranslateCollecting(const std::string& text, const std::string& path);
  void Collect(const std::string& text, const std::string& path);
  void WriteCollected();
  void StartReleaseTimer();

  std::recursive_mutex Lock;
  TWtranslLanguagesList Pairs;
  std::string CachedKey;
  bool WithReleaseTimer;
  std::unique_ptr<platform::TThreadTimer> ReleaseTimer;
  bool FReleasePending = false;
  std::string SourceLanguage;
  std::string TargetLanguage;
  std::vector<std::string> Collected;
  std::vector<std::string> CollectedKeys;
  bool Changed = false;
};

}  // namespace cjt
