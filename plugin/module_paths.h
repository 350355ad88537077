// The folders and names derived from where the host keeps a module's settings.
#pragma once

#include <string>
#include <string_view>

namespace cjt {

class TkroPlugin;

// Characters that cannot stand in a file name become replacement; the device names of the
// system (CON, AUX, PRN, NUL, COM..., LPT...) get "_" in front.
std::string FileNameSafe(std::string_view name, char replacement);

// The common application-data folder, then the fourth "\"-separated field of the registry
// path (the application's name) made file-name safe, and a trailing delimiter.
std::string AppDataPath(std::string_view registryPath);

// The configuration id in an INI section prefix: of the text before the first "}", the
// part between the first and second "{", and of that, when it holds ":", the part between
// the first and second ":" when that is not empty. Every step trims blanks.
std::string ModuleConfigId(std::string_view sectionPrefix);

// AppDataPath, the configuration id and the module's folder name, each with a delimiter.
std::string ModuleDataPath(const TkroPlugin& plugin);

}  // namespace cjt
