// A folder of the fuzz process's own under the temporary folder, for targets whose code
// reads or writes files: emptied before every input, removed when the process ends, so
// that no input leaves files behind and parallel fuzz jobs never share one.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace cjt::fuzz {

class TScratchFolder {
 public:
  explicit TScratchFolder(const std::string& target)
      : Path(std::filesystem::temp_directory_path() / (target + "-" + std::to_string(std::random_device()()))) {
    Empty();
  }
  ~TScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(Path, ignored);
  }
  TScratchFolder(const TScratchFolder&) = delete;
  TScratchFolder& operator=(const TScratchFolder&) = delete;

  // Removes everything in the folder (and makes it when it is missing).
  void Empty() const {
    std::filesystem::remove_all(Path);
    std::filesystem::create_directories(Path);
  }
  std::string File(const std::string& name) const { return (Path / name).string(); }
  // Writes the bytes as they are and returns the file's name.
  std::string Write(const std::string& name, const uint8_t* data, size_t size) const {
    std::ofstream(File(name), std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return File(name);
  }
  // The number of entries in the folder.
  size_t Count() const {
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(Path)) ++count;
    return count;
  }

  const std::filesystem::path Path;
};

}  // namespace cjt::fuzz
