// Any bytes as a language file are read without a crash: the languages listed, and texts
// and a component translated into each declared language. A save directive in the file makes
// the translator write the texts it collected beside the file when it is destroyed: that
// one file, in this target's scratch folder (emptied per input), and nothing else.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/scratch_folder.h"
#include "support/component.h"
#include "support/wtransl.h"

namespace {

const cjt::fuzz::TScratchFolder& Folder() {
  static const cjt::fuzz::TScratchFolder folder("cjt188-language-files-fuzz");
  return folder;
}

// A caption, a hint and a list of captions, as the options form's controls have them.
class TLabel : public cjt::TComponent {
 public:
  TLabel() : TComponent("TLabel", "lblTimeout") {
    BindString("Caption", Caption);
    BindString("Hint", Hint);
    BindString("Captions", Captions, cjt::TPropKind::Strings);
  }
  std::string Caption = "&Request timeout (ms)";
  std::string Hint = "Device address";
  std::string Captions = "Save && close\r\nLine\tbreak\r\n12:30";
};

// The codes of the declared languages ("display name,code"), at most three, and one that
// no file declares.
std::vector<std::string> TargetLanguages(cjt::TWtransl& translator) {
  std::vector<std::string> languages;
  translator.GetLanguages(&languages);
  std::vector<std::string> codes{"RU"};
  for (size_t i = 0; i < languages.size() && i < 3; ++i) codes.push_back(languages[i].substr(languages[i].find(',') + 1));
  return codes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Folder().Empty();
  {
    cjt::TWtransl translator(false);
    translator.LanguageFile = Folder().Write("app.lng", data, size);
    for (const std::string& code : TargetLanguages(translator)) {
      TLabel label;
      translator.Translate(code, &label);
      std::string text = "Poll unit";
      translator.Translate(code, nullptr, &text);
    }
  }
  // The language file and at most the one file of collected texts.
  if (Folder().Count() > 2) std::abort();
  return 0;
}
