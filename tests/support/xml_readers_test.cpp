// The readers of the request configuration XML, and the strict integers behind them.
#include "support/xml_readers.h"

#include <gtest/gtest.h>

#include "support/text_values.h"
#include "tests/common/expect_error.h"

namespace cjt {
namespace {

class XmlReaders : public ::testing::Test {
 protected:
  void SetUp() override {
    Tree.Parse(
        "<QUERY><Request caption=''>"
        "<Enabled check='2'/><Text>1</Text><Zero>0</Zero><Word>true</Word><Four check='4'/><Odd check='9'/>"
        "<Group><DEVICE>12</DEVICE><Count> </Count><Big>99999999999</Big></Group><Device>late</Device>"
        "</Request><Other><Only>x</Only></Other></QUERY>");
    Request = Tree.FindNode("Request");
  }

  TqimXMLTree Tree;
  const TqimXMLNode* Request = nullptr;
};

TEST_F(XmlReaders, FindTheNodeItselfThenDeepInDocumentOrderThenTheFallback) {
  const TqimXMLNode* found = nullptr;
  EXPECT_EQ(XmlNodeText(Request, "Device", "-", true, nullptr, &found), "12");  // written DEVICE, found first
  EXPECT_EQ(found->Name(), "DEVICE");
  EXPECT_EQ(XmlNodeText(Request, "Device", "-", false), "late");  // direct children only
  EXPECT_EQ(XmlFindNode(Request, "request"), Request);
  EXPECT_EQ(XmlNodeText(Request, "Only", "-"), "-");
  EXPECT_EQ(XmlNodeText(Request, "Only", "-", true, Tree.FindNode("Other")), "x");
  EXPECT_EQ(XmlNodeText(Request, "Count", "-"), "");  // present but empty: not the default
  EXPECT_EQ(XmlNodeText(nullptr, "Count", "-"), "-");
}

TEST_F(XmlReaders, IntegersFallBackOnEmptyWrongAndOutOfRangeText) {
  EXPECT_EQ(XmlNodeInt(Request, "Device", 5), 12);
  EXPECT_EQ(XmlNodeInt(Request, "Count", 5), 5);
  EXPECT_EQ(XmlNodeInt(Request, "Word", 5), 5);
  EXPECT_EQ(XmlNodeInt(Request, "Big", 5), 5);
  EXPECT_EQ(XmlNodeInt(Request, "Missing", 5), 5);
  EXPECT_EQ(TryTextToInt("+17"), 17);
  EXPECT_FALSE(TryTextToInt("+-1"));
  EXPECT_TRUE(test_support::RaisesWithMessage<EIntegerConversion>([] { TextToInt("abc"); },
                                                                  "'abc' is not a valid integer value"));
}

TEST_F(XmlReaders, FlagsReadOnlyTheTextOneOrTheCheckState) {
  // The configuration's Enabled cases are in the request item tests; here the defaults.
  EXPECT_TRUE(XmlNodeBool(Request, "Text", false));
  EXPECT_FALSE(XmlNodeBool(Request, "Zero", true));
  EXPECT_FALSE(XmlNodeBool(Request, "Word", true));  // only "1" is true
  EXPECT_TRUE(XmlNodeBool(Request, "Four", true));   // check 4: the default
  EXPECT_TRUE(XmlNodeBool(Request, "Odd", true));    // out of range counts as 4
  EXPECT_TRUE(XmlNodeBool(Request, "Missing", true));
  EXPECT_EQ(XmlCheckState(XmlFindNode(Request, "Enabled"), 3, "Check"), 3);  // attribute names are exact
  EXPECT_EQ(XmlNodeCaption(Request, "Request", 2), "Request #2");            // an empty caption
}

// Flags by check state and by text, captions, and check states at and past their range.
TEST(XmlReaderCheckStates, EnabledFlagsCaptionsAndCheckStates) {
  TqimXMLTree tree;
  tree.Parse(
      "<QUERY><Request><Enabled check='2'/></Request><Request><Enabled>0</Enabled></Request>"
      "<Request><Enabled check='4'/></Request><Request caption='Mine'/>"
      "<S a='0'/><S a='5'/><S a='6'/><S a='-1'/><S a='x'/><S a=''/></QUERY>");
  const TqimXMLNode& query = tree.Child(0);
  EXPECT_TRUE(XmlNodeBool(&query.Child(0), "Enabled", false));
  EXPECT_FALSE(XmlNodeBool(&query.Child(1), "Enabled", true));
  EXPECT_TRUE(XmlNodeBool(&query.Child(2), "Enabled", true));
  EXPECT_FALSE(XmlNodeBool(&query.Child(2), "Enabled", false));
  EXPECT_TRUE(XmlNodeBool(&query.Child(3), "Enabled", true));              // missing: the default
  EXPECT_EQ(XmlNodeCaption(&query.Child(0), "Request", 2), "Request #2");  // no caption attribute
  EXPECT_EQ(XmlNodeCaption(&query.Child(3), "Request", 2), "Mine");
  const int32_t expected[] = {0, 5, 7, 7, 7, 7};
  for (size_t i = 0; i < std::size(expected); ++i) EXPECT_EQ(XmlCheckState(&query.Child(4 + i), 7, "a"), expected[i]);
  EXPECT_EQ(XmlCheckState(nullptr, 7), 7);
}

}  // namespace
}  // namespace cjt
