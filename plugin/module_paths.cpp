#include "plugin/module_paths.h"

#include "platform/folders.h"
#include "platform/text_encoding.h"
#include "plugin/kro_plugin.h"
#include "support/text_lines.h"
#include "support/text_values.h"

namespace cjt {

namespace {

bool IsFileNameChar(unsigned char c) {
  return c >= ' ' && std::string_view("<>:\"/\\|?*").find(static_cast<char>(c)) == std::string_view::npos;
}

bool IsDeviceName(std::string_view name) {
  std::string upper(name);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper.rfind("COM", 0) == 0 || upper.rfind("LPT", 0) == 0 || upper == "CON" || upper == "AUX" ||
         upper == "PRN" || upper == "NUL";
}

std::string WithDelimiter(std::string path) {
  const char delimiter = platform::PathDelimiter();
  if (path.empty() || path.back() != delimiter) path += delimiter;
  return path;
}

// The part of text after the first separator (the whole text without one), up to the
// next separator or the end.
std::string_view BetweenFirstTwo(std::string_view text, char separator) {
  const size_t first = text.find(separator);
  const std::string_view rest = first == std::string_view::npos ? text : text.substr(first + 1);
  return rest.substr(0, rest.find(separator));
}

// The module's folder: the configured name, the first line of the description, or the
// library's name without extension in lower case.
std::string ModuleFolderName(const TkroPlugin& plugin) {
  std::string name = plugin.ModuleConfigName(plugin.ModuleLoadForConfig);
  if (name.empty()) {
    const std::vector<std::string_view> lines = SplitLines(plugin.Description);
    if (!lines.empty()) name = lines.front();
  }
  if (name.empty()) name = platform::AsciiLowerCase(plugin.ModuleName.substr(0, plugin.ModuleName.rfind('.')));
  return FileNameSafe(name, '-');
}

}  // namespace

std::string FileNameSafe(std::string_view name, char replacement) {
  std::string safe(name);
  for (char& c : safe)
    if (!IsFileNameChar(static_cast<unsigned char>(c))) c = replacement;
  return IsDeviceName(safe) ? "_" + safe : safe;
}

std::string AppDataPath(std::string_view registryPath) {
  const std::vector<std::string_view> fields = SplitFields(registryPath, "\\");
  const std::string_view application = fields.size() > 3 ? TrimBlanks(fields[3]) : std::string_view();
  return WithDelimiter(WithDelimiter(platform::CommonAppDataFolder()) + FileNameSafe(application, ' '));
}

std::string ModuleConfigId(std::string_view sectionPrefix) {
  const std::string_view beforeBrace = TrimBlanks(sectionPrefix.substr(0, sectionPrefix.find('}')));
  const std::string_view braced = TrimBlanks(BetweenFirstTwo(beforeBrace, '{'));
  if (braced.find(':') == std::string_view::npos) return std::string(braced);
  const std::string_view colon = TrimBlanks(BetweenFirstTwo(braced, ':'));
  return std::string(colon.empty() ? braced : colon);
}

std::string ModuleDataPath(const TkroPlugin& plugin) {
  return WithDelimiter(WithDelimiter(AppDataPath(plugin.ModuleRegistryPath) + ModuleConfigId(plugin.INISectionPrefix)) +
                       ModuleFolderName(plugin));
}

}  // namespace cjt
