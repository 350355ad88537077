// TCustomTextResources: loose message strings gathered so that the translator reaches them.
// A derived class adds references to its own string fields in its constructor.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "support/component.h"

namespace cjt {

class TCustomTextResources : public TComponent {
 public:
  static constexpr int32_t ResourcesTag = 9997;
  explicit TCustomTextResources(std::string className = "TCustomTextResources", std::string name = {});

  bool Translated() const { return FTranslated; }
  // The first time only: replaces each referenced string by its translation; an error on
  // one string leaves that string as it was.
  void TranslateSelf(const std::function<std::string(const std::string&)>& translate);

 protected:
  void AddText(std::string& field) { Texts.push_back(&field); }

 private:
  std::vector<std::string*> Texts;
  bool FTranslated = false;
};

}  // namespace cjt
