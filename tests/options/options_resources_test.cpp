// The options dialog's resources as the build makes them: FORM_NAME, the form
// TFRMOPTION and the compressed FORM_DATA with the script, the form name and the persisted
// properties; the property-tree description checked line by line against the
// dialog's node table.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "platform/raw_resources.h"
#include "support/xml_tree.h"
#include "tests/common/gunzip.h"
#include "tests/common/xml_well_formed.h"

namespace cjt {
namespace {

using platform::FindRawResource;
using test_support::Gunzip;
using test_support::XmlWellFormedError;

const std::string Separator = "\r\n\r\n<=======>\r\n\r\n";

// FORM_DATA uncompressed, as the generator wrote it beside the resources.
const unsigned char FormDataText[] = {
#include "form_data_text.inc"
};

std::string Resource(const char* name) {
  const auto resource = FindRawResource(name);
  return resource ? std::string(*resource) : std::string();
}

std::vector<std::string> Split(const std::string& text, const std::string& separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + separator.size())
    parts.push_back(text.substr(start, at - start));
  parts.push_back(text.substr(start));
  return parts;
}

std::vector<std::string> FormDataSections() {
  const auto text = Gunzip(Resource("FORM_DATA"));
  return text ? Split(*text, Separator) : std::vector<std::string>{};
}

// --- The form, read from its text form-description syntax ---

struct TFormObject {
  std::string Name, Class, Parent;
  std::map<std::string, std::string> Properties;
};

struct TForm {
  std::vector<TFormObject> Objects;  // in the order written; the form first
  std::string Error;

  const TFormObject* Find(const std::string& name) const {
    for (const auto& object : Objects)
      if (object.Name == name) return &object;
    return nullptr;
  }
  std::string Property(const std::string& name, const std::string& property) const {
    const TFormObject* object = Find(name);
    if (object == nullptr) return "<no " + name + ">";
    auto it = object->Properties.find(property);
    return it == object->Properties.end() ? "<none>" : it->second;
  }
};

TForm ReadForm(const std::string& text) {
  TForm form;
  std::vector<size_t> open;
  const std::vector<std::string> lines = Split(text, "\r\n");
  if (lines.back().empty() == false) form.Error = "the last line has no CR LF";
  for (size_t i = 0; i + 1 < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (line.find_first_of("\r\n") != std::string::npos) form.Error = "a lone CR or LF in line " + line;
    const size_t indent = line.find_first_not_of(' ');
    if (indent == std::string::npos) {
      form.Error = "an empty line";
      continue;
    }
    const std::string content = line.substr(indent);
    const size_t depth = content == "end" && !open.empty() ? open.size() - 1 : open.size();
    if (indent != 2 * depth) form.Error = "indentation of \"" + line + "\"";
    if (content.rfind("object ", 0) == 0) {
      const size_t colon = content.find(": ");
      TFormObject object{content.substr(7, colon - 7),
                         content.substr(colon + 2),
                         open.empty() ? "" : form.Objects[open.back()].Name,
                         {}};
      form.Objects.push_back(object);
      open.push_back(form.Objects.size() - 1);
    } else if (content == "end") {
      if (open.empty())
        form.Error = "an end without an object";
      else
        open.pop_back();
    } else {
      const size_t equals = content.find(" = ");
      if (open.empty() || equals == std::string::npos)
        form.Error = "a stray line: " + line;
      else
        form.Objects[open.back()].Properties[content.substr(0, equals)] = content.substr(equals + 3);
    }
  }
  if (!open.empty()) form.Error = "an object without end";
  return form;
}

// --- The script's syntax tree ---

// The value of a constant string expression: <str>, <chr>, <concat>, <ident> of a constant,
// and <field name="Caption"> of a form component (its caption in the base language).
std::string Evaluate(const TqimXMLNode& node, const TqimXMLNode& script, const TForm& form) {
  if (node.Name() == "str") return node.AttributeValue("value", "");
  if (node.Name() == "chr") return std::string(1, static_cast<char>(std::stoi(node.AttributeValue("code", "0"))));
  if (node.Name() == "concat") {
    std::string text;
    for (size_t i = 0; i < node.ChildCount(); ++i) text += Evaluate(node.Child(i), script, form);
    return text;
  }
  if (node.Name() == "ident") {
    for (size_t i = 0; i < script.ChildCount(); ++i) {
      const TqimXMLNode& declaration = script.Child(i);
      if (declaration.Name() == "const" && declaration.AttributeValue("name", "") == node.AttributeValue("name", ""))
        return Evaluate(declaration.Child(0), script, form);
    }
    return "<unknown " + node.AttributeValue("name", "") + ">";
  }
  if (node.Name() == "field" && node.AttributeValue("name", "") == "Caption" && node.ChildCount() == 1) {
    std::string caption = form.Property(node.Child(0).AttributeValue("name", ""), "Caption");
    return caption.size() >= 2 ? caption.substr(1, caption.size() - 2) : caption;  // without the quotes
  }
  return "<" + node.Name() + ">";
}

const TqimXMLNode* Declaration(const TqimXMLNode& script, const std::string& kind, const std::string& name) {
  for (size_t i = 0; i < script.ChildCount(); ++i) {
    const TqimXMLNode& child = script.Child(i);
    if (child.Name() == kind && child.AttributeValue("name", "") == name) return &child;
  }
  return nullptr;
}

// All nodes below (and with) node in document order.
void Collect(const TqimXMLNode& node, std::vector<const TqimXMLNode*>& nodes) {
  nodes.push_back(&node);
  for (size_t i = 0; i < node.ChildCount(); ++i) Collect(node.Child(i), nodes);
}

// The calls in a subtree, as "name" or "object.name" for calls on an <ident>.
std::vector<std::string> CallsIn(const TqimXMLNode& node) {
  std::vector<const TqimXMLNode*> nodes;
  Collect(node, nodes);
  std::vector<std::string> calls;
  for (const TqimXMLNode* each : nodes) {
    if (each->Name() != "call") continue;
    std::string call = each->AttributeValue("name", "");
    const TqimXMLNode* object = each->FindChild("object");
    if (object != nullptr && object->ChildCount() == 1 && object->Child(0).Name() == "ident")
      call = object->Child(0).AttributeValue("name", "") + "." + call;
    calls.push_back(call);
  }
  return calls;
}

class OptionsResourcesTest : public testing::Test {
 protected:
  void SetUp() override {
    Sections = FormDataSections();
    ASSERT_EQ(Sections.size(), 3u);
    Tree.Parse(Sections[0]);
    ASSERT_EQ(Tree.ChildCount(), 1u);
    Script = &Tree.Child(0);
    Form = ReadForm(Resource("TFRMOPTION"));
  }

  std::vector<std::string> Sections;
  TqimXMLTree Tree;
  const TqimXMLNode* Script = nullptr;
  TForm Form;
};

// --- The platform layer's lookup ---

TEST(RawResources, NamesAreFoundUpperCasedAndMissingOnesAreNone) {
  static const unsigned char bytes[] = {'a', 0, 'b'};
  static const platform::TRawResourceEntry entries[] = {{"TEST_RESOURCE", bytes, sizeof bytes}};
  platform::RegisterRawResources(entries, 1);
  ASSERT_TRUE(FindRawResource("test_Resource").has_value());
  EXPECT_EQ(*FindRawResource("test_Resource"), std::string("a\0b", 3));
  EXPECT_FALSE(FindRawResource("NO_SUCH_RESOURCE").has_value());
  EXPECT_FALSE(FindRawResource("").has_value());
  EXPECT_EQ(platform::RawResourceName("tFrm_1x"), "TFRM_1X");
}

// --- FORM_NAME and FORM_DATA ---

TEST(OptionsResources, FormNameNamesTheFormResource) {
  EXPECT_EQ(Resource("FORM_NAME"), "TFRMOPTION");
  EXPECT_EQ(Resource("form_name"), "TFRMOPTION");
  EXPECT_FALSE(Resource("TFRMOPTION").empty());
}

TEST(OptionsResources, FormDataIsAPlainGzipStreamOfTheGeneratedText) {
  const std::string stream = Resource("FORM_DATA");
  EXPECT_TRUE(test_support::IsPlainGzip(stream));  // no name, time 0: reproducible bytes
  const auto text = Gunzip(stream);
  ASSERT_TRUE(text.has_value());
  EXPECT_EQ(*text, std::string(reinterpret_cast<const char*>(FormDataText), sizeof FormDataText));
  EXPECT_LT(stream.size(), text->size() / 2);  // compressed, not stored
  EXPECT_FALSE(Gunzip(stream + "x").has_value());
}

TEST_F(OptionsResourcesTest, ThreeSectionsWithCrLfLineEnds) {
  EXPECT_EQ(Sections[1], "TFRMOPTION");
  EXPECT_EQ(Sections[2],
            "Left,Left\r\nTop,Top\r\nHeight,Height\r\nWidth,Width\r\n;---short---\r\n"
            "lblParams.Caption,Parser config\r\nOpenDialog.FileName,Open files dir\r\n"
            "SaveDialog.FileName,Save files dir\r\nspMinInt.Value,Min interval\r\n");
  for (const std::string& section : Sections) {
    for (size_t at = section.find('\n'); at != std::string::npos; at = section.find('\n', at + 1))
      ASSERT_TRUE(at > 0 && section[at - 1] == '\r') << "a bare LF at " << at;
    for (size_t at = section.find('\r'); at != std::string::npos; at = section.find('\r', at + 1))
      ASSERT_TRUE(at + 1 < section.size() && section[at + 1] == '\n') << "a bare CR at " << at;
  }
}

TEST_F(OptionsResourcesTest, TheScriptIsWellFormedXml) {
  EXPECT_EQ(XmlWellFormedError(Sections[0]), "");
  EXPECT_EQ(Script->Name(), "script");
  EXPECT_NE(XmlWellFormedError("<a><b></a></b>"), "");  // the check itself refuses bad nesting
  EXPECT_NE(XmlWellFormedError("<a x=1/>"), "");
  EXPECT_NE(XmlWellFormedError("<a>&nbsp;</a>"), "");
}

// --- The property-tree description, line by line against the dialog's node table ---

struct TDescriptionRow {
  int Depth;
  const char* Name;
  const char* Caption;
  const char* Type;
  const char* Options;
  const char* Default;
};

const TDescriptionRow DescriptionTable[] = {
    {0, "Request", "MsgReq", "dtCategory,Editable", "", ""},
    {1, "Enabled", "MsgSendReq", "dtCheckbox", "", "2"},
    {1, "Device", "MsgDevAddr", "dtValidChars", "0123456789A-*,;", "1234567"},
    {1, "DeviceType", "MsgDevType", "dtComboDropDownValuesList", "@DevTypeList", "20"},
    {1, "Timeout", "MsgReqTimeout", "dtInteger", "1,65535", "2000"},
    {1, "ExportFailed", "MsgExportFailed", "dtCheckbox", "", "0"},
    {1, "Variant", "MsgVariant", "dtComboDropDownValuesList", "@VariantList", "standard"},
    {1, "RequestMethod", "MsgReqMethod", "dtCategory", "", ""},
    {2, "MethodOnce", "MsgMOnce", "dtCheckbox,RadioButton", "", "0"},
    {2, "MethodPoll", "MsgPolling", "dtCheckbox,RadioButton", "", "2"},
    {3, "PollInterval", "MsgPollInt", "dtInteger", "1,655350", "5"},
    {3, "PollUnits", "MsgPollUnits", "dtComboDropDownValuesList", "@PollUnitList", "S"},
    {2, "MethodAtTime", "MsgAtTime", "dtCheckbox,RadioButton", "", "0"},
    {3, "AtTime", "MsgTime", "dtValidChars", "0123456789:apm./;", "12:00:00"},
    {2, "MethodCron", "MsgCron", "dtCheckbox,RadioButton", "", "0"},
    {3, "CronTime", "MsgCronMask", "dtValidChars", "*0123456789/ ,-", "0 0 12 * * *"},
    {1, "Response", "MsgResponseItems", "dtCategory,Optional", "F0F0F0,000000", ""},
    {2, "Item", "MsgResponseItem", "dtCategory,Editable,Repeatable", "F0F0F0,000000", ""},
    {3, "Function", "MsgFunc", "dtComboDropDownValuesList", "@FuncTypeList", "901F"},
};

// A row as its line: depth blanks, five "~"-separated fields, trailing empty fields left out.
std::string DescriptionLine(const TDescriptionRow& row) {
  std::vector<std::string> fields{row.Name, std::string("@") + row.Caption, row.Type, row.Options, row.Default};
  while (fields.back().empty()) fields.pop_back();
  std::string line(row.Depth, ' ');
  for (size_t i = 0; i < fields.size(); ++i) line += (i > 0 ? "~" : "") + fields[i];
  return line;
}

TEST_F(OptionsResourcesTest, TheDescriptionIsTheTableLineByLine) {
  const TqimXMLNode* constant = Declaration(*Script, "const", "PropTreeDescription");
  ASSERT_NE(constant, nullptr);
  const std::string description = Evaluate(constant->Child(0), *Script, Form);
  const std::vector<std::string> lines = Split(description, "\r\n");
  ASSERT_EQ(lines.size(), std::size(DescriptionTable));  // no CR LF after the last line
  for (size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i], DescriptionLine(DescriptionTable[i])) << "line " << i;
  // The first two lines written out, and the poll interval's bound of 655350.
  EXPECT_EQ(lines[0], "Request~@MsgReq~dtCategory,Editable");
  EXPECT_EQ(lines[1], " Enabled~@MsgSendReq~dtCheckbox~~2");
  EXPECT_EQ(lines[10], "   PollInterval~@MsgPollInt~dtInteger~1,655350~5");
  // Every caption reference names a menu item of the form; depths grow one at a time.
  int depth = -1;
  for (const TDescriptionRow& row : DescriptionTable) {
    EXPECT_EQ(Form.Property(row.Caption, "Caption").empty(), false);
    EXPECT_NE(Form.Find(row.Caption), nullptr) << row.Caption;
    EXPECT_LE(row.Depth, depth + 1);
    depth = row.Depth;
  }
}

// --- The script's declarations and behaviour ---

TEST_F(OptionsResourcesTest, ConstantsAndTheTreeHeader) {
  EXPECT_EQ(Evaluate(Declaration(*Script, "const", "PARAM_OPTION_VALUE_SEP")->Child(0), *Script, Form), "==");
  EXPECT_EQ(Evaluate(Declaration(*Script, "const", "PARAM_OPTION_LIST_SEP")->Child(0), *Script, Form), "||");
  EXPECT_EQ(Evaluate(Declaration(*Script, "const", "RootNodeName")->Child(0), *Script, Form), "QUERY");
  const TqimXMLNode* formCreate = Declaration(*Script, "procedure", "FormCreate");
  ASSERT_NE(formCreate, nullptr);
  std::vector<const TqimXMLNode*> nodes;
  Collect(*formCreate, nodes);
  const TqimXMLNode* create = nullptr;
  for (const TqimXMLNode* node : nodes)
    if (node->Name() == "call" && node->AttributeValue("name", "") == "CreateVirtualParamTreeview") create = node;
  ASSERT_NE(create, nullptr);
  ASSERT_EQ(create->ChildCount(), 4u);  // form, parent panel, header, description
  EXPECT_EQ(create->Child(1).AttributeValue("name", ""), "pan0");
  EXPECT_EQ(Evaluate(create->Child(2), *Script, Form), "propTree~Requests queue~RootNodeName,QUERY,Panel,OpenSave");
  EXPECT_EQ(create->Child(3).AttributeValue("name", ""), "PropTreeDescription");
}

TEST_F(OptionsResourcesTest, EveryComponentIsAVariableAndTheTreeToo) {
  std::map<std::string, std::string> variables;
  for (size_t i = 0; i < Script->ChildCount(); ++i) {
    const TqimXMLNode& child = Script->Child(i);
    if (child.Name() == "var") variables[child.AttributeValue("name", "")] = child.AttributeValue("type", "");
  }
  for (const TFormObject& object : Form.Objects) EXPECT_EQ(variables[object.Name], object.Class) << object.Name;
  EXPECT_EQ(variables["propTree"], "TVirtualParamTreeviewEx");
  EXPECT_EQ(variables.size(), Form.Objects.size() + 1);
}

TEST_F(OptionsResourcesTest, FormCreateOpensForEditingOrOnlyLoads) {
  const TqimXMLNode* formCreate = Declaration(*Script, "procedure", "FormCreate");
  ASSERT_NE(formCreate, nullptr);
  const TqimXMLNode* body = formCreate->FindChild("body");
  ASSERT_NE(body, nullptr);
  ASSERT_EQ(body->ChildCount(), 2u);  // the branch on Sender, then loading the tree
  const TqimXMLNode& branch = body->Child(0);
  ASSERT_EQ(branch.Name(), "if");
  const TqimXMLNode& condition = branch.FindChild("cond")->Child(0);
  EXPECT_EQ(condition.AttributeValue("op", ""), "<>");
  EXPECT_EQ(condition.Child(0).AttributeValue("name", ""), "Sender");
  EXPECT_EQ(condition.Child(1).Name(), "nil");
  EXPECT_EQ(CallsIn(*branch.FindChild("then")),
            (std::vector<std::string>{"CreateVirtualParamTreeview", "InitPluginConfigForm", "CallEvent", "CallEvent",
                                      "frmOption.FindComponent", "frmOption.FindComponent"}));
  EXPECT_EQ(CallsIn(*branch.FindChild("else")), std::vector<std::string>{"LoadPluginConfigForm"});
  std::vector<const TqimXMLNode*> nodes;
  Collect(*branch.FindChild("then"), nodes);
  std::vector<std::string> strings, identifiers, handlers;
  for (const TqimXMLNode* node : nodes) {
    if (node->Name() == "str") strings.push_back(node->AttributeValue("value", ""));
    if (node->Name() == "ident") identifiers.push_back(node->AttributeValue("name", ""));
    if (node->Name() == "procref") handlers.push_back(node->AttributeValue("name", ""));
    if (node->Name() == "assign" && node->FindChild("target")->Child(0).Name() == "field" &&
        node->FindChild("target")->Child(0).AttributeValue("name", "") == "Caption") {
      const std::string target = node->FindChild("target")->Child(0).Child(0).AttributeValue("name", "");
      if (target == "PollUnitList")
        EXPECT_EQ(Evaluate(node->FindChild("value")->Child(0), *Script, Form),
                  "Millisecond==MS||Second==S||Minute==M||Hour==H");
      else
        EXPECT_TRUE(target == "DevTypeList" || target == "FuncTypeList") << target;
    }
  }
  for (const char* text : {"GetDevTypeList", "GetFuncTypeList", "btnOK", "btnCancel"})
    EXPECT_NE(std::find(strings.begin(), strings.end(), text), strings.end()) << text;
  for (const char* name : {"ifoCloseForm", "ifoStdControls"})
    EXPECT_NE(std::find(identifiers.begin(), identifiers.end(), name), identifiers.end()) << name;
  EXPECT_EQ(handlers, (std::vector<std::string>{"btnOKClick", "btnCancelClick"}));
  // Both ways the tree then loads the stored configuration from lblParams.
  const TqimXMLNode& load = body->Child(1);
  EXPECT_EQ(load.Name(), "assign");
  EXPECT_EQ(load.FindChild("target")->Child(0).AttributeValue("name", ""), "AsText");
  EXPECT_EQ(load.FindChild("value")->Child(0).Child(0).AttributeValue("name", ""), "lblParams");
}

TEST_F(OptionsResourcesTest, ButtonsAndDestroy) {
  const TqimXMLNode* ok = Declaration(*Script, "procedure", "btnOKClick");
  const TqimXMLNode* cancel = Declaration(*Script, "procedure", "btnCancelClick");
  const TqimXMLNode* destroy = Declaration(*Script, "procedure", "FormDestroy");
  ASSERT_TRUE(ok && cancel && destroy);
  EXPECT_EQ(CallsIn(*ok), std::vector<std::string>{"frmOption.Hide"});
  const TqimXMLNode& store = ok->FindChild("body")->Child(1);
  EXPECT_EQ(store.FindChild("target")->Child(0).Child(0).AttributeValue("name", ""), "lblParams");
  EXPECT_EQ(store.FindChild("value")->Child(0).AttributeValue("name", ""), "AsText");
  EXPECT_EQ(CallsIn(*cancel), (std::vector<std::string>{"propTree.CancelEdit", "frmOption.Hide"}));
  EXPECT_EQ(CallsIn(*destroy), std::vector<std::string>{"FreeVirtualParamTreeview"});
  EXPECT_EQ(destroy->FindChild("body")->Child(0).Child(0).AttributeValue("name", ""), "propTree");
}

// --- The form ---

TEST_F(OptionsResourcesTest, TheFormAndItsComponents) {
  ASSERT_EQ(Form.Error, "");
  ASSERT_FALSE(Form.Objects.empty());
  EXPECT_EQ(Form.Objects[0].Name, "frmOption");
  EXPECT_EQ(Form.Objects[0].Class, "TfrmOption");
  const std::map<std::string, std::string> formProperties{
      {"Left", "326"},
      {"Top", "144"},
      {"Width", "481"},
      {"Height", "435"},
      {"Constraints.MinWidth", "320"},
      {"Constraints.MinHeight", "250"},
      {"BorderWidth", "2"},
      {"BorderIcons", "[biSystemMenu, biMaximize, biHelp]"},
      {"HelpContext", "1"},
      {"KeyPreview", "True"},
      {"Font.Name", "'MS Sans Serif'"},
      {"Font.Height", "-11"},
      {"OnCreate", "FormCreate"},
      {"OnDestroy", "FormDestroy"},
  };
  for (const auto& [property, value] : formProperties)
    EXPECT_EQ(Form.Property("frmOption", property), value) << property;

  struct TComponent {
    const char* Name;
    const char* Class;
    const char* Parent;
  };
  const TComponent components[] = {
      {"__pBot", "TPanel", "frmOption"},       {"lblParams", "TTntLabel", "__pBot"},
      {"pan0", "TPanel", "frmOption"},         {"pan2", "TPanel", "frmOption"},
      {"Label1", "TTntLabel", "pan2"},         {"spMinInt", "TJvSpinEdit", "pan2"},
      {"TntLabel1", "TTntLabel", "frmOption"}, {"tmpMenu", "TTntPopupMenu", "frmOption"},
  };
  for (const TComponent& component : components) {
    const TFormObject* object = Form.Find(component.Name);
    ASSERT_NE(object, nullptr) << component.Name;
    EXPECT_EQ(object->Class, component.Class);
    EXPECT_EQ(object->Parent, component.Parent);
  }
  EXPECT_EQ(Form.Property("__pBot", "Height"), "45");
  EXPECT_EQ(Form.Property("__pBot", "Hint"), "'OkCancel'");
  EXPECT_EQ(Form.Property("__pBot", "Align"), "alBottom");
  EXPECT_EQ(Form.Property("lblParams", "Visible"), "False");
  EXPECT_EQ(Form.Property("pan0", "Align"), "alClient");
  EXPECT_EQ(Form.Property("pan2", "Height"), "30");
  EXPECT_EQ(Form.Property("pan2", "Align"), "alBottom");
  EXPECT_EQ(Form.Property("Label1", "Caption"), "'Minimal interval between data packets (ms)'");
  EXPECT_EQ(Form.Property("spMinInt", "MaxValue"), "65535.000000000000000000");
  EXPECT_EQ(Form.Property("spMinInt", "MinValue"), "<none>");  // 0, the default, is not written
  EXPECT_EQ(Form.Property("TntLabel1", "Visible"), "False");
  EXPECT_EQ(Form.Property("TntLabel1", "Caption"), "<none>");
}

TEST_F(OptionsResourcesTest, TheMenuItemsCarryTheTreeTexts) {
  struct TItem {
    const char* Name;
    const char* Class;
    const char* Caption;  // null: none, tag 9999
  };
  const TItem items[] = {
      {"MsgSendReq", "TTntMenuItem", "Send requests, otherwise parse response only"},
      {"DevTypeList", "TkroMenuItem", nullptr},
      {"FuncTypeList", "TTntMenuItem", nullptr},
      {"MsgDevAddr", "TTntMenuItem", "Device address"},
      {"MsgDevType", "TkroMenuItem", "Device type"},
      {"MsgFunc", "TTntMenuItem", "Function"},
      {"MsgReqTimeout", "TTntMenuItem", "Request timeout (ms)"},
      {"MsgReqMethod", "TTntMenuItem", "Request method"},
      {"MsgMOnce", "TTntMenuItem", "Once, on the program startup"},
      {"MsgPolling", "TTntMenuItem", "Polling"},
      {"MsgPollInt", "TTntMenuItem", "Interval"},
      {"MsgPollUnits", "TTntMenuItem", "Interval units"},
      {"MsgName", "TTntMenuItem", "Export name"},
      {"TxtMillisecond", "TTntMenuItem", "Millisecond"},
      {"TxtSecond", "TTntMenuItem", "Second"},
      {"TxtMinute", "TTntMenuItem", "Minute"},
      {"TxtHour", "TTntMenuItem", "Hour"},
      {"MsgReq", "TTntMenuItem", "Request"},
      {"PollUnitList", "TTntMenuItem", nullptr},
      {"MsgTime", "TTntMenuItem", "Time (semicolon separated)"},
      {"MsgAtTime", "TTntMenuItem", "At specified time"},
      {"MsgCron", "TTntMenuItem", "Time using Unix Cron schedule"},
      {"MsgCronMask", "TTntMenuItem", "Cron string"},
      {"MsgEvent", "TTntMenuItem", "Event"},
      {"MsgEventId", "TTntMenuItem", "Event ID"},
      {"MsgResponseItems", "TTntMenuItem", "Response items"},
      {"MsgResponseItem", "TTntMenuItem", "Value"},
      {"MsgFuncRate", "TTntMenuItem", "Rate"},
      {"MsgExportFailed", "TkroMenuItem", "Export status of failed requests"},
      {"MsgVariant", "TTntMenuItem", "Answer layout"},
      {"VariantList", "TTntMenuItem",
       "Standard==standard||Unit byte before the value==unit-first||Short heat meter data 1==short-heat"},
  };
  std::vector<std::string> inMenu;
  for (const TFormObject& object : Form.Objects)
    if (object.Parent == "tmpMenu") inMenu.push_back(object.Name);
  ASSERT_EQ(inMenu.size(), std::size(items));
  for (size_t i = 0; i < std::size(items); ++i) {
    const TItem& item = items[i];
    EXPECT_EQ(inMenu[i], item.Name);
    EXPECT_EQ(Form.Find(item.Name)->Class, item.Class) << item.Name;
    if (item.Caption != nullptr) {
      EXPECT_EQ(Form.Property(item.Name, "Caption"), std::string("'") + item.Caption + "'");
      EXPECT_EQ(Form.Property(item.Name, "Tag"), "<none>");
    } else {
      EXPECT_EQ(Form.Property(item.Name, "Caption"), "<none>") << item.Name;
      EXPECT_EQ(Form.Property(item.Name, "Tag"), "9999") << item.Name;
    }
  }
}

}  // namespace
}  // namespace cjt
