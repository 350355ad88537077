// Files that a test writes into its own folder under the temporary folder, removed after.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace cjt::test_support {

class TTempFolder {
 public:
  TTempFolder() {
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    const std::string name =
        std::string("cjt188-") + (test ? std::string(test->test_suite_name()) + "-" + test->name() : "x");
    Path = std::filesystem::temp_directory_path() / name;
    std::filesystem::remove_all(Path);
    std::filesystem::create_directories(Path);
  }
  ~TTempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(Path, ignored);
  }
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;

  std::string File(const std::string& name) const { return (Path / name).string(); }
  // Writes the bytes as they are and returns the file's name.
  std::string Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(File(name), std::ios::binary | std::ios::trunc) << bytes;
    return File(name);
  }
  static std::string Read(const std::string& fileName) {
    std::ifstream in(fileName, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  std::filesystem::path Path;
};

}  // namespace cjt::test_support
