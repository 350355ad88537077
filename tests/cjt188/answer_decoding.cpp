#include "tests/cjt188/answer_decoding.h"

#include "params/kro_params_list.h"
#include "params/kro_params_list_item.h"

namespace cjt::test_support {

std::string Frame(uint8_t type, std::initializer_list<uint8_t> body) {
  std::string frame{'\x68', static_cast<char>(type)};
  frame.append(body.begin(), body.end());
  uint8_t sum = 0;
  for (const char byte : frame) sum = static_cast<uint8_t>(sum + static_cast<uint8_t>(byte));
  frame += static_cast<char>(sum);
  frame += '\x16';
  return frame;
}

TVariant DateTime(int day, int hour, int minute) { return TVariant::Date(day + (hour * 60 + minute) / 1440.0); }

namespace {

std::vector<std::string> NamesOf(const TRows& rows) {
  std::vector<std::string> names;
  for (const auto& row : rows) names.push_back(row.first);
  return names;
}

void ExpectSameValue(const TVariant& got, const TVariant& expected) {
  EXPECT_EQ(got.Type(), expected.Type());
  if (expected.IsText())
    EXPECT_EQ(got.AsString(), expected.AsString());
  else
    EXPECT_NEAR(got.AsDouble(), expected.AsDouble(), 1e-9);
}

}  // namespace

void ExpectRows(const TRows& got, const TRows& expected) {
  ASSERT_EQ(NamesOf(got), NamesOf(expected));
  for (size_t i = 0; i < got.size(); ++i) {
    SCOPED_TRACE(got[i].first);
    ExpectSameValue(got[i].second, expected[i].second);
  }
}

void AnswerDecoding::Listen(const std::string& device, const std::string& function, const std::string& extra) {
  Start(QueryXml({RequestXml(device, "20", {function}, extra, false)}));
}

TRows AnswerDecoding::Decode(const std::string& answer) {
  TkroParamsList output;
  const TPluginCallRecord record = FeedInto(output, answer);
  EXPECT_EQ(+record.Output.Count, 1u);
  TRows rows;
  bool header = true;
  for (int32_t i = 0; i < output.Count(); ++i) {
    const TkroParamsListItem& item = *output.Items(i);
    if (item.Name == RowMarkerName) {
      EXPECT_EQ(i, output.Count() - 1);
      break;
    }
    if (!header) rows.emplace_back(item.Name, item.Value());
    header = header && item.Name != "DATA_TYPE_ID";
  }
  EXPECT_FALSE(header) << "no header";
  return rows;
}

}  // namespace cjt::test_support
