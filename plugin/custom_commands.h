// Custom commands: entries of three texts and two flags that the host defines and reads
// back; the plug-in keeps them without interpreting them. Text form: one line per entry,
// "text1|text2|text3|flag1|flag2" with flags 0 or 1, each line ended by CR LF.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace cjt {

struct TkroPluginCustomCmd {
  std::string Text1;
  std::string Text2;
  std::string Text3;
  bool Flag1 = false;
  bool Flag2 = false;
};

class TkroPluginCustomCmdList {
 public:
  size_t Count() const { return Items.size(); }
  const TkroPluginCustomCmd& operator[](size_t index) const { return *Items.at(index); }
  void Add(TkroPluginCustomCmd entry) { Items.push_back(std::make_unique<TkroPluginCustomCmd>(std::move(entry))); }
  void Clear() { Items.clear(); }

  std::string Text() const;
  // Appends the entries of every non-empty line with at least five fields; a flag is true
  // exactly when its field is "1". Shorter lines are skipped.
  void AddFromText(std::string_view text);

 private:
  std::vector<std::unique_ptr<TkroPluginCustomCmd>> Items;
};

}  // namespace cjt
