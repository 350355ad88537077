#include "cjt188/text_resources.h"

namespace cjt {

TTextResources::TTextResources(std::mutex& lock)
    : TCustomTextResources("TTextResources", "TextResources"), Mutex(lock) {
  for (std::string& text : Texts) AddText(text);
}

std::string TTextResources::Get(TTextId id) const {
  std::lock_guard lock(Mutex);
  return Texts.at(static_cast<size_t>(id));
}

void TTextResources::Set(TTextId id, std::string_view text) {
  std::lock_guard lock(Mutex);
  Texts.at(static_cast<size_t>(id)) = text;
}

void TTextResources::Translate(const std::function<std::string(const std::string&)>& translate) {
  std::lock_guard lock(Mutex);
  TranslateSelf(translate);
}

}  // namespace cjt
