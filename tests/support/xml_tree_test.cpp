#include "support/xml_tree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace cjt {
namespace {

// The names of a node's children, in order.
std::vector<std::string> ChildNames(const TqimXMLNode& node) {
  std::vector<std::string> names;
  for (size_t i = 0; i < node.ChildCount(); ++i) names.push_back(node.Child(i).Name());
  return names;
}

TEST(XMLTree, ReadsQueryWithBothQuoteStylesAndFindsByTheCaseRules) {
  TqimXMLTree tree;
  tree.Parse("<?xml version=\"1.0\"?>\r\n<QUERY>\r\n\t<Request Enabled=\"1\" Device='12' Empty=\"\"/>\r\n</QUERY>\r\n");
  EXPECT_EQ(tree.Name(), "root");
  ASSERT_EQ(ChildNames(tree), std::vector<std::string>{"QUERY"});
  const TqimXMLNode* query = tree.FindChild("query");
  ASSERT_EQ(query, &tree.Child(0));
  EXPECT_EQ(query->Parent(), &tree);
  ASSERT_EQ(ChildNames(*query), std::vector<std::string>{"Request"});
  const TqimXMLNode& request = query->Child(0);
  EXPECT_EQ(request.ChildCount(), 0u);
  ASSERT_EQ(request.AttributeCount(), 3u);
  EXPECT_EQ(request.Attribute(0).Value, "1");
  EXPECT_EQ(request.Attribute(1).Name, "Device");
  EXPECT_EQ(request.Attribute(1).Value, "12");
  EXPECT_EQ(request.FindAttribute("enabled"), nullptr);
  EXPECT_EQ(request.AttributeValue("Enabled", "0"), "1");
  EXPECT_EQ(request.AttributeValue("Empty", "x"), "x");
  EXPECT_EQ(request.AttributeValue("Missing", "y"), "y");
  EXPECT_EQ(tree.FindChild("Request"), nullptr);  // not a direct child
  EXPECT_EQ(tree.OpenedElementCount(), 1);
}

TEST(XMLTree, DecodesThePredefinedEntitiesOnce) {
  TqimXMLTree tree;
  tree.Parse("<a v=\"&quot;&apos;&lt;&gt;&amp;amp;\">&amp;lt; &#65; &amp &</a>");
  const TqimXMLNode& a = tree.Child(0);
  EXPECT_EQ(a.Text(), "&lt; &#65; &amp &");
  EXPECT_FALSE(a.IsCData());
  EXPECT_EQ(a.Attribute(0).Value, "\"'<>&amp;");
}

TEST(XMLTree, JoinsLinesOfCharacterDataAndKeepsTheLastText) {
  TqimXMLTree tree;
  tree.Parse("<a>\r\n  first\r\nsecond\tthird\nfourth  \r\n</a><b>x<c/>y</b>");
  EXPECT_EQ(tree.Child(0).Text(), "first second third fourth");
  EXPECT_EQ(tree.Child(1).Text(), "y");
}

TEST(XMLTree, TakesCDataRawExceptForTheLineAndTabEscapes) {
  TqimXMLTree tree;
  tree.Parse("<a><![CDATA[ one\\n two\\t three &amp; <b>\\n]]></a><c><![cdata[x]]></c><d><![CDATA[\\n ");
  EXPECT_EQ(tree.Child(0).Text(), " one\r\ntwo\tthree &amp; <b>\\n");
  EXPECT_TRUE(tree.Child(0).IsCData());
  EXPECT_EQ(tree.Child(0).ChildCount(), 0u);
  EXPECT_EQ(tree.Child(1).Text(), "x");
  EXPECT_EQ(tree.Child(2).Text(), "\r\n");  // an unterminated section runs to the end
}

TEST(XMLTree, ReadsTagForms) {
  TqimXMLTree tree;
  tree.Parse("</top><r><Item/><Item />< Item\r\n/><v a=\"1>2\" b='\">'>t</v><!DOCTYPE r><!-- <x/> --></r></r><z/>");
  ASSERT_EQ(ChildNames(tree), (std::vector<std::string>{"r", "z"}));  // stray close tags are ignored
  const TqimXMLNode& r = tree.Child(0);
  ASSERT_EQ(ChildNames(r), (std::vector<std::string>{"Item", "Item", "Item", "v"}));
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(r.Child(i).AttributeCount() + r.Child(i).ChildCount(), 0u);
  EXPECT_EQ(r.Child(3).AttributeValue("a", ""), "1>2");
  EXPECT_EQ(r.Child(3).AttributeValue("b", ""), "\">");
  EXPECT_EQ(r.Child(3).Text(), "t");
  EXPECT_EQ(tree.OpenedElementCount(), 2);
  tree.Parse("<a><b></a><c/>");  // a close tag closes the current element whatever its name
  EXPECT_EQ(ChildNames(tree.Child(0)), (std::vector<std::string>{"b", "c"}));
}

TEST(XMLTree, FindNodeSearchesDepthFirstInDocumentOrder) {
  TqimXMLTree tree;
  tree.Parse("<T id='0'><a><t id='1'><t id='2'/></t></a><T id='3'/></T>");
  const TqimXMLNode& top = tree.Child(0);
  EXPECT_EQ(tree.FindNode("t"), &top);
  ASSERT_NE(top.FindNode("T"), nullptr);
  EXPECT_EQ(top.FindNode("T")->AttributeValue("id", ""), "1");
  EXPECT_EQ(top.Child(1).FindNode("t"), nullptr);  // the node itself is not tested
  EXPECT_EQ(tree.FindNode("missing"), nullptr);
}

TEST(XMLTree, SurvivesTruncatedAndMalformedText) {
  // clang-format off
  const char* texts[] = {"<", "<a", "<a b=\"", "<a b='1' c=\"2", "<a b=\"1\" c=>", "<a b=c d>", "<a 'x=' \"y\">", "<a ==='>",
                         "<>", "</>", "<a/", "<![CDATA[abc", "<!--", "<?", "&", "&amp", "<a>\\", "]]>-->?>"};
  // clang-format on
  for (const char* text : texts) {
    TqimXMLTree tree;
    tree.Parse(text);
    tree.FindNode("a");
  }
  TqimXMLTree tree;
  tree.Parse("<a>t<b c=\"1>");  // the tag without its ">" is dropped with the rest
  EXPECT_EQ(tree.Child(0).Text(), "t");
  EXPECT_EQ(tree.Child(0).ChildCount(), 0u);
  tree.Parse("<a b=c d=\"2\" e='3'>");  // the first quote after "=" encloses the value
  ASSERT_EQ(tree.Child(0).AttributeCount(), 2u);
  EXPECT_EQ(tree.Child(0).Attribute(0).Name, "b");
  EXPECT_EQ(tree.Child(0).Attribute(0).Value, "2");
  EXPECT_EQ(tree.Child(0).Attribute(1).Value, "3");
}

TEST(XMLTree, HandlesDeepNestingWithoutRecursion) {
  std::string text;
  for (int i = 0; i < 200000; ++i) text += "<a>";
  TqimXMLTree tree;
  tree.Parse(text);
  EXPECT_EQ(tree.OpenedElementCount(), 200000);
  EXPECT_EQ(tree.FindNode("b"), nullptr);
}

// A node that counts the live instances, to see that parsing again frees the previous tree.
class TCountedNode : public TqimXMLNode {
 public:
  explicit TCountedNode(TqimXMLNode* parent) : TqimXMLNode(parent) { ++Live; }
  ~TCountedNode() override { --Live; }
  static inline int Live = 0;
};

TEST(XMLTree, MakesEveryNodeThroughTheFactoryAndFreesThemOnParse) {
  TqimXMLTree tree;
  std::vector<TqimXMLNode*> parents;
  tree.SetNodeFactory([&parents](TqimXMLNode* parent) {
    parents.push_back(parent);
    return std::make_unique<TCountedNode>(parent);
  });
  tree.Parse("top text<a><b/><c>x</c></a>");
  EXPECT_EQ(TCountedNode::Live, 3);
  const TqimXMLNode& a = tree.Child(0);
  EXPECT_EQ(parents, (std::vector<TqimXMLNode*>{&tree, &tree.Child(0), &tree.Child(0)}));
  EXPECT_NE(dynamic_cast<const TCountedNode*>(&a.Child(1)), nullptr);
  EXPECT_EQ(tree.Text(), "top text");

  tree.SetNodeFactory([](TqimXMLNode*) { return nullptr; });  // falls back to a plain node
  tree.Parse("<n/>");
  EXPECT_EQ(TCountedNode::Live, 0);
  EXPECT_EQ(ChildNames(tree), std::vector<std::string>{"n"});
  EXPECT_EQ(tree.Text(), "");
  tree.Parse("");
  EXPECT_EQ(tree.ChildCount() + tree.AttributeCount() + tree.Text().size(), 0u);
  EXPECT_EQ(tree.OpenedElementCount(), 0);
}

}  // namespace
}  // namespace cjt
