// The request configuration given with --config: an XML file with a QUERY element. The
// plug-in reads any text without complaint, so the program checks the file first and names
// the place of the first fault.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace cjt::host {

// "FILE:LINE:COLUMN: what is wrong", or "FILE: what is wrong" for the file as a whole.
class EConfigFile : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The well-formedness fault of the text and its 0-based byte offset; empty when none.
struct TXmlFault {
  std::string Message;
  size_t Offset = 0;
};
TXmlFault CheckXml(std::string_view text);

// Line and column (both from 1) of a byte offset.
std::pair<size_t, size_t> LineAndColumn(std::string_view text, size_t offset);

// Checks the text (XML well formed, a QUERY element) and returns it; fileName names the place.
std::string CheckedConfig(const std::string& fileName, const std::string& text);
// Reads and checks the file.
std::string ReadConfigFile(const std::string& fileName);

}  // namespace cjt::host
