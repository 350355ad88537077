// The translator with small language files, the text resources and the string holder.
#include "support/wtransl.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/clock.h"
#include "platform/text_encoding.h"
#include "platform/timer_service.h"
#include "support/str_holder.h"
#include "support/text_resources.h"
#include "tests/common/temp_files.h"

namespace cjt {
namespace {

using test_support::TTempFolder;

// A component with a caption, a hint and a string list.
class TLabel : public TComponent {
 public:
  explicit TLabel(std::string name, std::string caption = {})
      : TComponent("TLabel", std::move(name)), Caption(std::move(caption)) {
    BindString("Caption", Caption);
    BindString("Hint", Hint);
    BindString("Captions", Items, TPropKind::Strings);
    BindInteger("BiDiMode", BiDiMode);
  }
  std::string Caption;
  std::string Hint;
  std::string Items;
  int32_t BiDiMode = 0;
};

std::string Ansi(const std::u16string& text) { return platform::WideToAnsi(text); }

constexpr char GermanFile[] =
    "// Encoding=utf-8\r\n"
    "[Languages]\r\n"
    "$EN=English\r\n"
    "$DE=Deutsch\r\n"
    "Default=DE\r\n"
    "\r\n"
    "EN:>Device address\r\n"
    "DE:>Ger\xC3\xA4teadresse\r\n"
    "\r\n"
    "EN:>Request\r\n"
    "DE:>&Anfrage\r\n"
    "\r\n"
    "EN:>Save && close\r\n"
    "DE:>Speichern && schlie\xC3\x9F"
    "en\r\n"
    "\r\n"
    "EN:>&Direct\r\n"
    "DE:>&Direkt\r\n"
    "\r\n"
    "EN:>Line%0Abreak\r\n"
    "DE:>Zeilen%0Aumbruch\r\n"
    "\r\n";

class TranslatorTest : public testing::Test {
 protected:
  void SetUp() override {
    Translator.LanguageFile = Folder.Write("app.lng", GermanFile);
    Translator.Translate("DE", nullptr, &Scratch);  // loads EN -> DE
  }
  TTempFolder Folder;
  TWtransl Translator{false};
  std::string Scratch = "x";
};

TEST_F(TranslatorTest, ExactAndLowercaseMapsInUtf8) {
  const std::string german = Ansi(u"Ger\u00e4teadresse");
  EXPECT_EQ(Translator.TranslateText("Device address"), german);
  EXPECT_EQ(Translator.TranslateText("DEVICE ADDRESS"), german);  // the lowercase map
  EXPECT_EQ(Translator.TranslateText("  Device address\t"), german);
  EXPECT_EQ(Translator.TranslateText("Unknown text"), "Unknown text");
  EXPECT_EQ(Translator.TranslateText(""), "");
  EXPECT_EQ(Translator.GetLanguages(), "DE");
  std::vector<std::string> languages;
  Translator.GetLanguages(&languages);
  EXPECT_EQ(languages, (std::vector<std::string>{"English,EN", "Deutsch,DE"}));
}

TEST_F(TranslatorTest, AcceleratorsAndDoubledAmpersands) {
  // "&Request" is found under "Request" and its translation is used as written.
  EXPECT_EQ(Translator.TranslateText("&Request"), "&Anfrage");
  // Without an accelerator in the key, the translation's "&" goes and "&&" becomes "&".
  EXPECT_EQ(Translator.TranslateText("Request"), "Anfrage");
  EXPECT_EQ(Translator.TranslateText("Save && close"), Ansi(u"Speichern & schlie\u00dfen"));
  EXPECT_EQ(Translator.TranslateText("&Direct"), "&Direkt");
}

TEST_F(TranslatorTest, EscapedControlCharacters) {
  EXPECT_EQ(Translator.TranslateText("Line\nbreak"), "Zeilen\numbruch");
}

TEST_F(TranslatorTest, ComponentWalkSkipsTag9999AndDoubleUnderscoreNames) {
  TComponent form("TForm", "frmOption");
  TLabel& plain = form.Own(std::make_unique<TLabel>("lblAddress", "Device address"));
  TLabel& skipped = form.Own(std::make_unique<TLabel>("lblSkipped", "Device address"));
  skipped.Tag = 9999;
  TLabel& hidden = form.Own(std::make_unique<TLabel>("__hidden", "Device address"));
  TLabel& inner = hidden.Own(std::make_unique<TLabel>("lblInner", "Device address"));
  TLabel& ownerOnly = form.Own(std::make_unique<TLabel>("pnlOwner", "Device address"));
  ownerOnly.Tag = 9998;
  TLabel& nested = ownerOnly.Own(std::make_unique<TLabel>("lblNested", "Request"));
  TLabel& masked = form.Own(std::make_unique<TLabel>("lblMasked", "Device address"));
  masked.Tag = 10000 + 2;  // skip "caption"
  masked.Hint = "Request";
  plain.Items = "Request\r\nDevice address\r\nother";

  EXPECT_TRUE(Translator.Translate("DE", &form));
  const std::string german = Ansi(u"Ger\u00e4teadresse");
  EXPECT_EQ(plain.Caption, german);
  EXPECT_EQ(plain.Items, "Anfrage\r\n" + german + "\r\nother");
  EXPECT_EQ(skipped.Caption, "Device address");
  EXPECT_EQ(hidden.Caption, "Device address");
  EXPECT_EQ(inner.Caption, "Device address");
  EXPECT_EQ(ownerOnly.Caption, "Device address");
  EXPECT_EQ(nested.Caption, "Anfrage");
  EXPECT_EQ(masked.Caption, "Device address");
  EXPECT_EQ(masked.Hint, "Anfrage");

  // Back to the base language: the built-in texts return.
  Translator.Translate("EN", &form);
  EXPECT_EQ(plain.Caption, "Device address");
  EXPECT_EQ(nested.Caption, "Request");
  EXPECT_EQ(plain.Items, "Request\r\nDevice address\r\nother");
}

TEST_F(TranslatorTest, PerTextEventMayRefuse) {
  Translator.OnTranslateText = [](TWtransl&, const std::string& text, std::string&, bool& accept) {
    accept = text != "Request";
  };
  EXPECT_EQ(Translator.TranslateText("Request"), "Request");
  EXPECT_EQ(Translator.TranslateText("Device address"), Ansi(u"Ger\u00e4teadresse"));
}

TEST(Translator, CodePageFileAndLowercaseMap) {
  TTempFolder folder;
  TWtransl translator(false);
  // "Адрес" in windows-1251.
  translator.LanguageFile = folder.Write("ru.lng",
                                         "//charset=windows-1251\n"
                                         "[Languages]\n$RU=Russian\nDefault=RU\n\n"
                                         "EN:>Device address\nRU:>\xC0\xE4\xF0\xE5\xF1\n");  // no final empty line
  std::string text = "DEVICE ADDRESS";
  EXPECT_TRUE(translator.Translate("", nullptr, &text));  // target: the files' default
  EXPECT_EQ(translator.CodePage, 1251u);
  EXPECT_EQ(translator.Charset, 204);
  EXPECT_EQ(text, Ansi(u"\u0410\u0434\u0440\u0435\u0441"));
}

TEST(Translator, NoLanguageFileChangesNothing) {
  TWtransl translator(false);
  translator.LanguageFile = "";
  TLabel label("lbl", "Device address");
  EXPECT_FALSE(translator.Translate("DE", &label));
  EXPECT_EQ(label.Caption, "Device address");
  EXPECT_EQ(translator.GetLanguages(), "");
}

TEST(Translator, LaterFilesOverrideEarlierOnes) {
  TTempFolder folder;
  TWtransl translator(false);
  translator.LanguageFile = folder.Write("plugins.lng", "EN:>Request\nDE:>Shared\n\n") + "|" +
                            folder.File("missing.lng") + "|" + folder.Write("own.lng", "EN:>Request\nDE:>Own\n\n");
  std::string text = "Request";
  translator.Translate("DE", nullptr, &text);
  EXPECT_EQ(text, "Own");
}

TEST(Translator, CollectsUntranslatedTextsIntoANewFile) {
  TTempFolder folder;
  const std::string file = folder.Write("app.lng", "//saveuntr\n//filerewrite\nEN:>Known\nDE:>Bekannt\n\n");
  {
    TWtransl translator(false);
    translator.LanguageFile = file;
    TLabel label("lbl", "Unknown words");
    label.Hint = "12:30 - 14";  // no letters: not collected
    translator.Translate("DE", &label);
    EXPECT_EQ(translator.SaveMode, 1);
    EXPECT_EQ(translator.CollectedTexts(), std::vector<std::string>{"Unknown words"});
  }
  EXPECT_EQ(TTempFolder::Read(file + ".new"),
            "[Languages]\r\n$EN = #1\r\n$DE = #2 (Default)\r\nDefault = DE\r\n\r\nEN:>Unknown words\r\nDE:>\r\n\r\n");
}

TEST(Translator, TextResourcesTranslateThemselvesOnce) {
  class TMessages : public TCustomTextResources {
   public:
    TMessages() : TCustomTextResources("TMessages", "Messages") {
      AddText(First);
      AddText(Second);
    }
    std::string First = "Request";
    std::string Second = "Nothing";
  };
  TTempFolder folder;
  TWtransl::RegisterComponentHandler("TMessages", "*", [](TWtransl& translator, TComponent& component) {
    static_cast<TMessages&>(component).TranslateSelf(
        [&](const std::string& text) { return translator.TranslateText(text); });
  });
  TWtransl translator(false);
  translator.LanguageFile = folder.Write("app.lng", "EN:>Request\nDE:>Anfrage\n\nEN:>Request\nFR:>Demande\n\n");
  TMessages messages;
  EXPECT_EQ(messages.Tag, 9997);
  translator.Translate("DE", &messages);  // passed directly: translated as a component
  EXPECT_TRUE(messages.Translated());
  EXPECT_EQ(messages.First, "Anfrage");
  EXPECT_EQ(messages.Second, "Nothing");
  translator.Translate("FR", &messages);  // not again
  EXPECT_EQ(messages.First, "Anfrage");
  // Owned by another component, tag 9997 gets only the custom event.
  TComponent owner("TForm", "frm");
  TMessages& owned = owner.Own(std::make_unique<TMessages>());
  int custom = 0;
  translator.OnCustomTranslate = [&](TWtransl&, TComponent& component) { custom += &component == &owned; };
  translator.Translate("DE", &owner);
  EXPECT_EQ(owned.First, "Request");
  EXPECT_EQ(custom, 1);
  TWtransl::UnregisterComponentHandlers("TMessages");
}

// On a thread of its own, whose timers run only when the test pumps them.
TEST(Translator, CacheIsReleasedTwentySecondsAfterTheLastTranslation) {
  TTempFolder folder;
  const std::string file = folder.Write("app.lng", "EN:>Request\nDE:>Anfrage\n\n");
  std::thread([&] {
    platform::TManualClock clock;
    platform::TManualTimerPump pump;
    TWtransl translator;
    translator.LanguageFile = file;
    std::string text = "Request";
    translator.Translate("DE", nullptr, &text);
    EXPECT_TRUE(translator.ReleasePending());
    clock.Advance(15000);
    text = "Request";
    translator.Translate("DE", nullptr, &text);  // restarts the 20 s
    clock.Advance(15000);
    pump.Run();
    EXPECT_EQ(translator.CachedPairs(), 1u);
    clock.Advance(5000);
    pump.Run();
    EXPECT_EQ(translator.CachedPairs(), 0u);
    EXPECT_FALSE(translator.ReleasePending());
  }).join();
}

TEST(Translator, ReleaseTimerIsStarted) {
  TTempFolder folder;
  TWtransl translator;
  translator.LanguageFile = folder.Write("app.lng", "EN:>Request\nDE:>Anfrage\n\n");
  std::string text = "Request";
  translator.Translate("DE", nullptr, &text);
  EXPECT_EQ(translator.CachedPairs(), 1u);
  translator.ReleaseCache();  // what the timer does after 20 s
  EXPECT_EQ(translator.CachedPairs(), 0u);
  text = "Request";
  translator.Translate("DE", nullptr, &text);  // loaded again
  EXPECT_EQ(text, "Anfrage");
}

TEST(StrHolder, StrDataEncodings) {
  EXPECT_EQ(TkroStrHolder::EncodeLine("Left,Left", ""), "4c6566742c4c656674");
  EXPECT_EQ(TkroStrHolder::DecodeLine("4C6566742C4C656674", "", 2), "Left,Left");
  const std::string encoded = TkroStrHolder::EncodeLine("Top,Top", "k");
  EXPECT_EQ(encoded.substr(0, 2), "3f");  // 'T' ^ 'k'
  EXPECT_EQ(TkroStrHolder::DecodeLine(encoded, "k", 2), "Top,Top");
  EXPECT_EQ(TkroStrHolder::DecodeLine("zz41", "", 2), " A");  // an invalid pair reads as 32
  EXPECT_EQ(TkroStrHolder::DecodeLine(TkroStrHolder::EncodeLine("abc", "xy", 1), "xy", 1), "abc");
  EXPECT_EQ(TkroStrHolder::DecodeLine(TkroStrHolder::EncodeLine("abc", "xy", 0), "xy", 0), "abc");
  EXPECT_EQ(TkroStrHolder::EncodeLine("abc", "", 0), "abc");
  const std::string umlaut = Ansi(u"\u00e4");
  EXPECT_EQ(TkroStrHolder::DecodeLine(TkroStrHolder::EncodeLine(umlaut, "key"), "key", 2), umlaut);
}

TEST(StrHolder, StrDataWrittenWhenDifferentAndEventsOutsideLoading) {
  TkroStrHolder holder("Properties");
  EXPECT_FALSE(holder.ShouldWriteStrData(nullptr));
  int changes = 0;
  holder.OnChange = [&](TkroStrHolder&) { ++changes; };
  holder.Add("Left,Left");
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(holder.ShouldWriteStrData(nullptr));
  EXPECT_EQ(holder.StrData(), (std::vector<std::string>{"", "4c6566742c4c656674"}));
  TkroStrHolder ancestor;
  ancestor.Add("LEFT,LEFT");
  EXPECT_FALSE(holder.ShouldWriteStrData(&ancestor));  // lines compare without case
  ancestor.KeyString = "k";
  EXPECT_TRUE(holder.ShouldWriteStrData(&ancestor));
  TkroStrHolder read;
  read.OnChange = [&](TkroStrHolder&) { ++changes; };
  read.ReadStrData(2, holder.StrData());
  EXPECT_EQ(read.Strings(), holder.Strings());
  EXPECT_EQ(changes, 1);  // loading raises no events
}

}  // namespace
}  // namespace cjt
