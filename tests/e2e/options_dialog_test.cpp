// GetOptionsDialog through the exports, as a host calls it: the
// statuses, the block of the stored form and the compressed script, and a form name given
// in Input.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/xml_tree.h"
#include "tests/common/gunzip.h"
#include "tests/common/xml_well_formed.h"
#include "tests/e2e/plugin_fixture.h"

namespace cjt {
namespace {

using test_support::PluginExportsTest;

uint32_t U32At(const std::vector<char>& buffer, size_t offset) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<uint8_t>(buffer[offset + i]);
  return value;
}

class OptionsDialogExportTest : public PluginExportsTest {
 protected:
  // GetOptionsDialog with a host buffer of that size that starts with the text.
  TPluginCallRecord Call(size_t bufferSize, const std::string& text = "") {
    Buffer.assign(bufferSize, '\0');
    std::memcpy(Buffer.data(), text.data(), std::min(text.size(), bufferSize));
    TPluginCallRecord record = Session.NewRecord();
    record.Input.Size = static_cast<uint32_t>(bufferSize);
    record.Input.Data = reinterpret_cast<uintptr_t>(Buffer.data());
    record.Output.Kind = 0;
    record.Output.Size = 1234;
    Lib().GetOptionsDialog(&record);
    return record;
  }
  // Form, properties and script of the block in the buffer.
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (size_t field = 0; field < 24; field += 8) {
      const uint32_t offset = U32At(Buffer, field), length = U32At(Buffer, field + 4);
      if (offset + length > Buffer.size()) return {};
      texts.emplace_back(Buffer.data() + offset, length);
    }
    return texts;
  }

  std::vector<char> Buffer;
};

TEST_F(OptionsDialogExportTest, ATenByteBufferGetsStatusThreeAndTheSizeNeeded) {
  const TPluginCallRecord record = Call(10);
  EXPECT_EQ(+record.Output.Kind, DataKindNumber);
  EXPECT_EQ(+record.Output.Data, 3u);
  EXPECT_GT(+record.Output.Size, 24u + 10);
  EXPECT_EQ(std::vector<char>(10, '\0'), Buffer);  // nothing copied
  // Exactly that size is enough.
  const uint32_t needed = record.Output.Size;
  const TPluginCallRecord exact = Call(needed);
  EXPECT_EQ(+exact.Output.Data, needed);
  EXPECT_EQ(+exact.Output.Kind, DataKindByteBuffer);
  EXPECT_EQ(+Call(needed - 1).Output.Data, 3u);
}

TEST_F(OptionsDialogExportTest, TheStoredFormAndTheCompressedScript) {
  const TPluginCallRecord record = Call(1 << 16);
  ASSERT_EQ(+record.Output.Kind, DataKindByteBuffer);
  EXPECT_EQ(+record.Output.Size, 0u);
  const uint32_t total = static_cast<uint32_t>(record.Output.Data);
  const std::vector<std::string> texts = Texts();
  ASSERT_EQ(texts.size(), 3u);
  // Header: offsets from the block start, the texts in order without separators.
  EXPECT_EQ(U32At(Buffer, 0), 24u);
  EXPECT_EQ(U32At(Buffer, 8), 24u + texts[0].size());
  EXPECT_EQ(U32At(Buffer, 16), 24u + texts[0].size() + texts[1].size());
  EXPECT_EQ(total, 24u + texts[0].size() + texts[1].size() + texts[2].size());
  EXPECT_EQ(Buffer[total], '\0');

  EXPECT_EQ(texts[0].rfind("object frmOption: TfrmOption\r\n", 0), 0u);
  EXPECT_EQ(texts[1], "");
  EXPECT_TRUE(test_support::IsPlainGzip(texts[2]));
  const auto script = test_support::Gunzip(texts[2]);
  ASSERT_TRUE(script.has_value());
  const std::string separator = "\r\n\r\n<=======>\r\n\r\n";
  const size_t first = script->find(separator);
  ASSERT_NE(first, std::string::npos);
  const size_t second = script->find(separator, first + 1);
  ASSERT_NE(second, std::string::npos);
  EXPECT_EQ(script->find(separator, second + 1), std::string::npos);
  const std::string xml = script->substr(0, first);
  EXPECT_EQ(script->substr(first + separator.size(), second - first - separator.size()), "TFRMOPTION");
  EXPECT_EQ(script->substr(second + separator.size()),
            "Left,Left\r\nTop,Top\r\nHeight,Height\r\nWidth,Width\r\n;---short---\r\n"
            "lblParams.Caption,Parser config\r\nOpenDialog.FileName,Open files dir\r\n"
            "SaveDialog.FileName,Save files dir\r\nspMinInt.Value,Min interval\r\n");

  EXPECT_EQ(test_support::XmlWellFormedError(xml), "");
  TqimXMLTree tree;
  tree.Parse(xml);
  ASSERT_EQ(tree.ChildCount(), 1u);
  const TqimXMLNode& root = tree.Child(0);
  EXPECT_EQ(root.Name(), "script");
  std::vector<std::string> procedures;
  for (size_t i = 0; i < root.ChildCount(); ++i)
    if (root.Child(i).Name() == "procedure") procedures.push_back(root.Child(i).AttributeValue("name", ""));
  EXPECT_EQ(procedures, (std::vector<std::string>{"btnOKClick", "btnCancelClick", "FormCreate", "FormDestroy"}));
  EXPECT_NE(root.FindNode("const"), nullptr);
}

TEST_F(OptionsDialogExportTest, AFormNameInInputGivesThatFormAndItsCodeResource) {
  // "tfrmoption" upper-cased names the form; there is no TFRMOPTION_CODE, so no script.
  const TPluginCallRecord record = Call(1 << 16, std::string("tfrmoption\0junk", 15));
  ASSERT_EQ(+record.Output.Kind, DataKindByteBuffer);
  const std::vector<std::string> texts = Texts();
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0].rfind("object frmOption: TfrmOption\r\n", 0), 0u);
  EXPECT_EQ(texts[1], "");
  EXPECT_EQ(texts[2], "");
  EXPECT_EQ(+record.Output.Data, 24u + texts[0].size());
  // The name given by FORM_NAME: its script resource is FORM_DATA only without a name.
  const TPluginCallRecord named = Call(1 << 16, "FORM_NAME");
  EXPECT_EQ(Texts(), (std::vector<std::string>{"TFRMOPTION", "", ""}));
  EXPECT_EQ(+named.Output.Data, 34u);
}

TEST_F(OptionsDialogExportTest, AnUnknownFormNameIsNothingToShow) {
  const TPluginCallRecord record = Call(1 << 16, "NO_SUCH_FORM");
  EXPECT_EQ(+record.Output.Kind, DataKindNumber);
  EXPECT_EQ(+record.Output.Data, 2u);
  EXPECT_EQ(+record.Output.Size, 0u);
}

TEST_F(OptionsDialogExportTest, AnUnknownInstanceOrNoRecordFails) {
  TPluginCallRecord record = Session.NewRecord();
  record.Instance = 12345;
  Lib().GetOptionsDialog(&record);
  EXPECT_EQ(+record.Output.Kind, DataKindNumber);
  EXPECT_EQ(+record.Output.Size, 0u);
  EXPECT_EQ(+record.Output.Data, 1u);
  Lib().GetOptionsDialog(nullptr);
}

}  // namespace
}  // namespace cjt
