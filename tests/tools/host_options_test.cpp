#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/ini_file.h"
#include "support/xml_tree.h"
#include "tests/common/temp_files.h"
#include "tools/cjt188-host/config_file.h"
#include "tools/cjt188-host/host_options.h"
#include "tools/cjt188-host/query_builder.h"

namespace cjt::host {
namespace {

TEST(HostOptions, DefaultsLinesAndTimes) {
  const THostOptions defaults = ParseHostOptions({});
  EXPECT_EQ(defaults.Source, TSourceKind::Simulated);
  EXPECT_EQ(defaults.Serial.Baud, 2400u);
  EXPECT_EQ(defaults.Serial.Parity, 'E');
  EXPECT_EQ(defaults.Serial.DataBits, 8);
  EXPECT_EQ(defaults.Serial.StopBits, 1);
  EXPECT_EQ(defaults.Format, TOutputFormat::Table);
  EXPECT_FALSE(defaults.DurationMs);

  const THostOptions serial = ParseHostOptions({"--serial", "/dev/ttyUSB0", "--baud", "9600", "--parity", "n",
                                                "--stop-bits", "2", "--meter", "42:water", "--meter", "7",
                                                "--poll", "2m", "--json", "--duration", "1h"});
  EXPECT_EQ(serial.Source, TSourceKind::Serial);
  EXPECT_EQ(serial.Device, "/dev/ttyUSB0");
  EXPECT_EQ(serial.Serial.Baud, 9600u);
  EXPECT_EQ(serial.Serial.Parity, 'N');
  EXPECT_EQ(serial.Serial.StopBits, 2);
  EXPECT_EQ(serial.Meters, (std::vector<std::string>{"42:water", "7"}));
  EXPECT_EQ(serial.PollMs, 120000u);
  EXPECT_EQ(serial.Format, TOutputFormat::Json);
  EXPECT_EQ(serial.DurationMs, 3600000u);

  const THostOptions tcp = ParseHostOptions({"--tcp", "converter.local:4001", "--csv", "--timeout", "250ms"});
  EXPECT_EQ(tcp.TcpHost, "converter.local");
  EXPECT_EQ(tcp.TcpPort, 4001);
  EXPECT_EQ(tcp.Format, TOutputFormat::Csv);
  EXPECT_EQ(tcp.TimeoutMs, 250u);

  EXPECT_EQ(ParseDuration("d", "30"), 30000u);  // seconds when no unit is given
  EXPECT_TRUE(ParseHostOptions({"--help"}).HelpText.find("--serial") != std::string::npos);
}

TEST(HostOptions, RefusesWhatItCannotUse) {
  const std::vector<std::vector<std::string>> bad{
      {"--bogus"},
      {"stray"},
      {"--serial"},
      {"--tcp", "127.0.0.1"},
      {"--tcp", "127.0.0.1:0"},
      {"--tcp", "127.0.0.1:70000"},
      {"--serial", "/dev/ttyS0", "--tcp", "h:1"},
      {"--json", "--csv"},
      {"--parity", "X"},
      {"--data-bits", "9"},
      {"--poll", "5x"},
      {"--poll", "0s"},
      {"--duration", "99999999h"},  // beyond what the interval can hold
      {"--timeout", "70s"},
      {"--config", "q.xml", "--meter", "1"},
  };
  for (const auto& arguments : bad) {
    SCOPED_TRACE(arguments.front());
    EXPECT_THROW(ParseHostOptions(arguments), EOptions);
  }
}

TEST(QueryBuilder, QuickOptionsBecomeOnePolledRequestPerMeter) {
  EXPECT_EQ(ParseMeterOption("1234567").MeterType, 0x20);  // heat when the type is left out
  EXPECT_EQ(ParseMeterOption("42:water").MeterType, 0x10);
  EXPECT_EQ(ParseMeterOption("42:0x31").MeterType, 0x31);
  EXPECT_EQ(ParseMeterOption("42:gas").Address, AddressBytes("00000000000042"));
  for (const char* bad : {"", "xyz:heat", "42:nosuch", "123456789012345"})
    EXPECT_THROW(ParseMeterOption(bad), EOptions) << bad;
  EXPECT_EQ(ParseFunctionOption("0x911f"), 0x911F);
  EXPECT_THROW(ParseFunctionOption("9010"), EOptions);

  const std::string xml = BuildQueryXml({{ParseMeterOption("42:water"), ParseMeterOption("1234567:heat")},
                                         {0x901F, 0x911F}, 1500, 800});
  TqimXMLTree tree;
  tree.Parse(xml);
  const TqimXMLNode* query = tree.FindNode("QUERY");
  ASSERT_NE(query, nullptr);
  ASSERT_EQ(query->ChildCount(), 2u);
  const TqimXMLNode& water = query->Child(0);
  EXPECT_EQ(water.FindNode("Device")->Text(), "00000000000042");
  EXPECT_EQ(water.FindNode("DeviceType")->Text(), "10");
  EXPECT_EQ(water.FindNode("Enabled")->Text(), "1");
  EXPECT_EQ(water.FindNode("MethodPoll")->Text(), "1");
  EXPECT_EQ(water.FindNode("PollInterval")->Text(), "1500");  // not whole seconds: stays in ms
  EXPECT_NE(water.FindNode("PollUnits")->Text(), "S");
  EXPECT_EQ(water.FindNode("Timeout")->Text(), "800");
  EXPECT_EQ(water.FindNode("ExportFailed")->Text(), "1");
  const TqimXMLNode* response = water.FindNode("Response");
  ASSERT_EQ(response->ChildCount(), 2u);
  EXPECT_EQ(response->Child(1).FindNode("Function")->Text(), "911F");
  EXPECT_EQ(query->Child(1).FindNode("DeviceType")->Text(), "20");

  tree.Parse(BuildQueryXml({{ParseMeterOption("1")}, {}, 5000, 1000}));
  EXPECT_EQ(tree.FindNode("PollInterval")->Text(), "5");
  EXPECT_EQ(tree.FindNode("PollUnits")->Text(), "S");
  EXPECT_EQ(tree.FindNode("Function")->Text(), "901F");  // the default function
}

// A configuration written over several lines must reach the plug-in whole through the INI
// file, whose values end at the line end.
TEST(QueryBuilder, MultiLineConfigurationSurvivesTheIniFile) {
  const std::string file =
      "<?xml version=\"1.0\"?>\r\n<QUERY>\r\n  <Request caption=\"two\r\nlines\">\n    <Device>1234567</Device>\n"
      "    <Response><Item><Function>901F</Function></Item></Response>\n  </Request>\n</QUERY>\n";
  const std::string line = OneLineXml(file);
  EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
  EXPECT_NE(line.find("<QUERY><Request caption=\"two lines\"><Device>"), std::string::npos);

  test_support::TTempFolder folder;
  const std::string ini = folder.File("host.ini");
  TIniFile written(ini);
  written.Write("Common", "Parser config", line);
  ASSERT_TRUE(written.Save());
  const std::optional<std::string> read = TIniFile(ini).Read("Common", "Parser config");
  ASSERT_TRUE(read);
  EXPECT_EQ(*read, line);
  TqimXMLTree tree;
  tree.Parse(*read);
  EXPECT_EQ(tree.FindNode("Function")->Text(), "901F");
}

TEST(ConfigFile, NamesWhereTheFileIsBroken) {
  struct TCase {
    std::string Text;
    std::string Expected;
  };
  const std::vector<TCase> cases{
      {"<QUERY>\n  <Request>\n  </Requets>\n</QUERY>", "q.xml:3:3: end tag </Requets> does not close <Request>"},
      {"<QUERY>\n<Request>", "q.xml:2:1: element <Request> is not closed"},
      {"<QUERY a=1></QUERY>", "q.xml:1:10: attribute value without quotes"},
      {"<QUERY><!-- open", "q.xml:1:8: unterminated comment"},
      {"<QUERY/>\n<QUERY/>", "q.xml:2:1: a second root element <QUERY>"},
      {"", "q.xml:1:1: no element"},
      {"<Config><Request/></Config>", "q.xml: no QUERY element"},
  };
  for (const TCase& c : cases) {
    try {
      CheckedConfig("q.xml", c.Text);
      ADD_FAILURE() << "accepted: " << c.Text;
    } catch (const EConfigFile& error) {
      EXPECT_EQ(std::string(error.what()), c.Expected);
    }
  }
  // Comments, declarations, CDATA and a QUERY below another root are fine.
  EXPECT_NO_THROW(CheckedConfig("q.xml", "<?xml version='1.0'?><!DOCTYPE x><root><!-- c --><query>"
                                         "<R><![CDATA[<not a tag>]]></R></query></root>"));
  EXPECT_THROW(ReadConfigFile("/nonexistent/q.xml"), EConfigFile);
}

}  // namespace
}  // namespace cjt::host
