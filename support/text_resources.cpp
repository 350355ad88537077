#include "support/text_resources.h"

namespace cjt {

TCustomTextResources::TCustomTextResources(std::string className, std::string name)
    : TComponent(std::move(className), std::move(name)) {
  AddAncestorClass("TCustomTextResources");
  Tag = ResourcesTag;
}

void TCustomTextResources::TranslateSelf(const std::function<std::string(const std::string&)>& translate) {
  if (FTranslated) return;
  FTranslated = true;
  for (std::string* text : Texts) {
    try {
      *text = translate(*text);
    } catch (...) {
      // This string stays as it was.
    }
  }
}

}  // namespace cjt
