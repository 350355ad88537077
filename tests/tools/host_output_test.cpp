#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "params/kro_params_list.h"
#include "tools/cjt188-host/output_format.h"
#include "tools/cjt188-host/packet.h"

namespace cjt::host {
namespace {

void AddHeatPacket(TkroParamsList& list, const std::string& device, double energy) {
  list.Add("FULL_DATA_PACKET", TVariant("68 20 ..."));
  list.Add("DATA_SOURCE_ID", TVariant(int32_t{1}));
  list.Add("DEVICE_ID", TVariant(device));
  list.Add("DATA_TYPE_ID_STR", TVariant("901F"));
  list.Add("DATA_TYPE_ID", TVariant(int32_t{0x901F}));
  list.Add("ENERGY_HEAT", TVariant(energy));
  list.Add("ENERGY_HEAT_UNIT", TVariant("kWh"));
  list.Add("TEMP_INLET", TVariant(61.25));
  list.Add("METER_TIMESTAMP", TVariant::Date(45658.5));
  list.Add("STATUS1", TVariant(int32_t{4}));
  list.Add("$NEW_ROW$", TVariant());
}

// Two answers decoded in one ProcessData call come as one list, one packet after the other.
TEST(HostPackets, OneCallsListSplitsIntoPacketsWithUnits) {
  TkroParamsList list;
  AddHeatPacket(list, "00000001234567", 100.5);
  AddHeatPacket(list, "00000000000042", 7);
  const std::vector<TNamedTexts> split = SplitPackets(list);
  ASSERT_EQ(split.size(), 2u);

  const TPacket second = MakePacket(split[1], "2025-01-01 12:00:00", "COM1", false);
  EXPECT_EQ(second.Device, "00000000000042");
  EXPECT_EQ(second.Function, "901F");
  EXPECT_EQ(second.Status, "ok");
  ASSERT_EQ(second.Values.size(), 4u);  // header items, units and the row marker are not values
  EXPECT_EQ(second.Values[0].Name, "ENERGY_HEAT");
  EXPECT_EQ(second.Values[0].Unit, "kWh");
  EXPECT_EQ(second.Values[0].Number, 7.0);
  EXPECT_EQ(second.Values[1].Unit, "");
  EXPECT_EQ(second.Values[2].Text, "2025-01-01 12:00:00");
  EXPECT_FALSE(second.Values[2].Number);

  // A unit item that does not follow its value stays a value of its own.
  const TPacket odd = MakePacket({{"DEVICE_ID", "1"}, {"POWER_UNIT", "kW"}}, "", "", false);
  ASSERT_EQ(odd.Values.size(), 1u);
  EXPECT_EQ(odd.Values[0].Name, "POWER_UNIT");

  EXPECT_EQ(MakePacket({{"DEVICE_ID", "1"}, {"STATUS1", "128"}}, "", "", true).Status, "timeout");
  EXPECT_EQ(MakePacket({{"DEVICE_ID", "1"}, {"STATUS1", "64"}}, "", "", true).Status, "invalid answer");
  EXPECT_EQ(MakePacket({{"DEVICE_ID", "1"}, {"STATUS1", "128"}}, "", "", false).Status, "ok");
  EXPECT_TRUE(SplitPackets(TkroParamsList()).empty());
}

TEST(HostOutput, JsonLinesAndCsvColumns) {
  TkroParamsList list;
  AddHeatPacket(list, "00000001234567", 100.5);
  TPacket packet = MakePacket(SplitPackets(list)[0], "2025-01-01 12:00:00", "COM1, port 1", false);

  const nlohmann::json json = nlohmann::json::parse(JsonLine(packet));
  EXPECT_EQ(json["device"], "00000001234567");
  EXPECT_EQ(json["source"], "COM1, port 1");
  EXPECT_EQ(json["status"], "ok");
  EXPECT_DOUBLE_EQ(json["values"]["ENERGY_HEAT"]["value"].get<double>(), 100.5);
  EXPECT_EQ(json["values"]["ENERGY_HEAT"]["unit"], "kWh");
  EXPECT_FALSE(json["values"]["TEMP_INLET"].contains("unit"));
  EXPECT_TRUE(json["values"]["STATUS1"]["value"].is_number_integer());
  EXPECT_TRUE(json["values"]["METER_TIMESTAMP"]["value"].is_string());
  // Two functions of one group both carry a value of one name: the first counts, in both formats.
  TPacket twice = packet;
  twice.Values.push_back({"ENERGY_HEAT", "99", 99.0, "kWh"});
  EXPECT_DOUBLE_EQ(nlohmann::json::parse(JsonLine(twice))["values"]["ENERGY_HEAT"]["value"].get<double>(), 100.5);
  EXPECT_NE(CsvLine(twice, {"ENERGY_HEAT"}).find(",100.5,kWh"), std::string::npos);

  packet.Values[0].Text = "bad \xff byte";
  packet.Values[0].Number.reset();
  EXPECT_NO_THROW(nlohmann::json::parse(JsonLine(packet)));  // invalid UTF-8 is replaced, not fatal

  const std::vector<std::string> names = ValueItemNames(
      "Full data packet|FULL_DATA_PACKET|String|\r\nDevice ID|DEVICE_ID|String|\r\n"
      "Current energy|ENERGY_HEAT|Float|0\r\nStatus 1|STATUS1|Integer|0\r\nPressure|PRESSURE|Float|0");
  EXPECT_EQ(names, (std::vector<std::string>{"ENERGY_HEAT", "STATUS1", "PRESSURE"}));
  EXPECT_EQ(CsvHeader(names),
            "time,source,device,function,status,ENERGY_HEAT,ENERGY_HEAT_UNIT,STATUS1,STATUS1_UNIT,PRESSURE,PRESSURE_UNIT");
  EXPECT_EQ(CsvLine(packet, names),
            "2025-01-01 12:00:00,\"COM1, port 1\",00000001234567,901F,ok,bad \xff byte,kWh,4,,,");
}

TEST(HostOutput, TableKeepsTheStatusLineBelowTheRowsOnATerminal) {
  TPacket packet{"2025-01-01 12:00:00", "SIM", "00000000000042", "901F", "ok", {{"FLOW", "1.5", 1.5, "m3/h"}}};
  std::ostringstream terminal;
  auto table = MakePacketWriter(TOutputFormat::Table, terminal, true, {});
  table->Status({3, 1, 0, 0}, false);
  table->Write(packet);
  const std::string shown = terminal.str();
  EXPECT_NE(shown.find("12:00:00 SIM"), std::string::npos);
  EXPECT_NE(shown.find("FLOW=1.5 m3/h\n"), std::string::npos);
  // The status line was blanked before the row and drawn again after it.
  EXPECT_LT(shown.find("requests 3, answers 1"), shown.find("FLOW="));
  EXPECT_TRUE(shown.ends_with("requests 3, answers 1, time-outs 0, errors 0"));

  std::ostringstream plain;
  auto piped = MakePacketWriter(TOutputFormat::Table, plain, false, {});
  piped->Status({3, 1, 0, 0}, false);
  piped->Write(packet);
  EXPECT_EQ(plain.str().find("requests"), std::string::npos);  // no redrawing into a file
  piped->Status({3, 1, 1, 2}, true);
  EXPECT_TRUE(plain.str().ends_with("requests 3, answers 1, time-outs 1, errors 2\n"));
}

}  // namespace
}  // namespace cjt::host
