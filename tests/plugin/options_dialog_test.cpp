// GetOptionsDialog's block for an instance, in-process: the OnGetOptionsDialog handler's
// path, a form name in Input, the statuses and the block layout. The resources are a test
// table registered with the platform layer (the plug-in's own ones are not linked here).
#include "plugin/options_dialog.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <vector>

#include "platform/raw_resources.h"
#include "plugin/kro_plugin.h"

namespace cjt {
namespace {

const unsigned char FormBytes[] = {'o', 'b', 'j', 'e', 'c', 't'};
const unsigned char CodeBytes[] = {'<', 's', '/', '>'};
const platform::TRawResourceEntry TestResources[] = {
    {"MYFORM", FormBytes, sizeof FormBytes},
    {"MYFORM_CODE", CodeBytes, sizeof CodeBytes},
};

uint32_t U32At(const std::vector<char>& buffer, size_t offset) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<uint8_t>(buffer[offset + i]);
  return value;
}

class OptionsDialogTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { platform::RegisterRawResources(TestResources, std::size(TestResources)); }

  // Runs the answer with a host buffer of that size holding the text (a form name).
  void Answer(size_t bufferSize, const std::string& text = "") {
    Buffer.assign(bufferSize, '\0');
    std::memcpy(Buffer.data(), text.data(), std::min(text.size(), bufferSize));
    Record = TPluginCallRecord{};
    Record.Size = CallRecordSize;
    Record.Input.Size = static_cast<uint32_t>(bufferSize);
    Record.Input.Data = reinterpret_cast<uintptr_t>(Buffer.data());
    Record.Output.Data = 77;
    AnswerOptionsDialog(Plugin, Record);
  }
  // The block's three texts, read through its header.
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (size_t field = 0; field < 24; field += 8)
      texts.emplace_back(Buffer.data() + U32At(Buffer, field), U32At(Buffer, field + 4));
    return texts;
  }

  TkroPlugin Plugin{0, nullptr};
  TPluginCallRecord Record{};
  std::vector<char> Buffer;
};

TEST_F(OptionsDialogTest, TheHandlersPropertiesAndNamedForm) {
  int calls = 0;
  Plugin.OnGetOptionsDialog = [&](TkroPlugin& sender, TPluginCallRecord& record, std::string& properties,
                                  std::string& formName) {
    ++calls;
    EXPECT_EQ(&sender, &Plugin);
    EXPECT_EQ(&record, &Record);
    properties = "props";
    formName = "myForm";
  };
  Answer(100);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(+Record.Output.Kind, DataKindByteBuffer);
  EXPECT_EQ(+Record.Output.Size, 0u);
  EXPECT_EQ(+Record.Output.Data, 24u + 6 + 5 + 4);
  EXPECT_EQ(U32At(Buffer, 0), 24u);
  EXPECT_EQ(U32At(Buffer, 8), 30u);
  EXPECT_EQ(U32At(Buffer, 16), 35u);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"object", "props", "<s/>"}));
  EXPECT_EQ(Buffer[39], '\0');  // nothing written past the block
}

TEST_F(OptionsDialogTest, TheHandlersPropertiesAloneAndAnUnknownForm) {
  std::string name;
  Plugin.OnGetOptionsDialog = [&](TkroPlugin&, TPluginCallRecord&, std::string& properties, std::string& formName) {
    properties = "only properties";
    formName = name;
  };
  Answer(100);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"", "only properties", ""}));
  EXPECT_EQ(U32At(Buffer, 0), 24u);
  EXPECT_EQ(U32At(Buffer, 16), 24u + 15);
  name = "NoSuchForm";
  Answer(100);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"", "only properties", ""}));
}

TEST_F(OptionsDialogTest, NothingFromTheHandlerIsStatusTwo) {
  bool called = false;
  Plugin.OnGetOptionsDialog = [&](TkroPlugin&, TPluginCallRecord&, std::string&, std::string&) { called = true; };
  Answer(100);
  EXPECT_TRUE(called);
  EXPECT_EQ(+Record.Output.Kind, DataKindNumber);
  EXPECT_EQ(+Record.Output.Data, OptionsStatusNothing);
  EXPECT_EQ(+Record.Output.Size, 0u);
}

TEST_F(OptionsDialogTest, ANameInInputBypassesTheHandler) {
  bool called = false;
  Plugin.OnGetOptionsDialog = [&](TkroPlugin&, TPluginCallRecord&, std::string&, std::string&) { called = true; };
  Answer(100, "myform");
  EXPECT_FALSE(called);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"object", "", "<s/>"}));
  // The name ends at the first zero byte, and at Input.Size without one.
  Answer(100, std::string("MyForm\0xx", 9));
  EXPECT_EQ(Texts(), (std::vector<std::string>{"object", "", "<s/>"}));
  Buffer.assign({'M', 'Y', 'F', 'O', 'R', 'M', 'X'});
  Record.Input.Data = reinterpret_cast<uintptr_t>(Buffer.data());
  Record.Input.Size = 6;
  EXPECT_EQ(OptionsFormName(Record), "MYFORM");
}

TEST_F(OptionsDialogTest, WithoutHandlerOrResourcesNothingToShow) {
  // No FORM_NAME and FORM_DATA in this program: all three texts are empty.
  Answer(100);
  EXPECT_EQ(+Record.Output.Data, OptionsStatusNothing);
  Answer(100, "NoSuchForm");
  EXPECT_EQ(+Record.Output.Data, OptionsStatusNothing);
}

TEST_F(OptionsDialogTest, ASmallBufferGetsStatusThreeAndTheSize) {
  Answer(10, "myform");
  EXPECT_EQ(+Record.Output.Kind, DataKindNumber);
  EXPECT_EQ(+Record.Output.Data, OptionsStatusTooSmall);
  EXPECT_EQ(+Record.Output.Size, 24u + 6 + 4);
  EXPECT_EQ(std::string(Buffer.data(), 6), "myform");  // nothing copied
  Answer(34, "myform");                                // exactly the size
  EXPECT_EQ(+Record.Output.Data, 34u);
}

TEST_F(OptionsDialogTest, AHandlersExceptionLeavesTheFailureStatus) {
  Plugin.OnGetOptionsDialog = [](TkroPlugin&, TPluginCallRecord&, std::string&, std::string&) {
    throw std::runtime_error("no dialog");
  };
  EXPECT_THROW(Answer(100), std::runtime_error);  // the export catches it
  EXPECT_EQ(+Record.Output.Kind, DataKindNumber);
  EXPECT_EQ(+Record.Output.Data, OptionsStatusFailed);
}

TEST(OptionsBlock, HeaderOfThreeOffsetLengthPairs) {
  const std::string block = OptionsBlock({"F", "PP", "SSS"});
  EXPECT_EQ(block, std::string("\x18\0\0\0\x01\0\0\0\x19\0\0\0\x02\0\0\0\x1b\0\0\0\x03\0\0\0FPPSSS", 30));
  EXPECT_EQ(OptionsBlock({}), std::string("\x18\0\0\0\0\0\0\0\x18\0\0\0\0\0\0\0\x18\0\0\0\0\0\0\0", 24));
}

}  // namespace
}  // namespace cjt
