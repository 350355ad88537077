// The speed of the data path as a host sees it: heat meter 901F answers handed to the
// plug-in library's exported ProcessData with an output list, against a bare decode of the
// same bytes (find the frame, check its sum, turn the value groups into numbers) in the same
// run. Prints "answers/s", "bare decode/s" and their "ratio", one line each.
//
// Both run in turns of 0.1 s for the given time; the best turn of each counts.
//
//   data_path_speed [seconds, default 4] [plug-in library file]
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <vector>

#include "cjt188/cjt188_types.h"
#include "cjt188/frame.h"
#include "cjt188/value_decoding.h"
#include "params/kro_params_list.h"
#include "plugin/call_record.h"
#include "tools/cjt188-host/host_session.h"
#include "tools/cjt188-host/plugin_library.h"

namespace {

using namespace cjt;
using Clock = std::chrono::steady_clock;

constexpr uint8_t HeatMeter = 0x20;
constexpr uint32_t MeterData1 = 0x901F;

std::string HeatAnswer() {
  std::vector<uint8_t> data{0x90, 0x1F, 0x01};
  for (int i = 0; i < 5; ++i) data.insert(data.end(), {0x78, 0x56, 0x34, 0x12, 0x05});
  data.insert(data.end(), {0x50, 0x72, 0x00, 0x30, 0x45, 0x00, 0x99, 0x99, 0x00});
  data.insert(data.end(), {0x30, 0x15, 0x10, 0x07, 0x03, 0x25, 0x20, 0x04, 0x00});
  const std::vector<uint8_t> frame = BuildFrame(HeatMeter, {0x67, 0x45, 0x23, 0x01, 0, 0, 0}, 0x81, data);
  return std::string(frame.begin(), frame.end());
}

// Steps per second of step run for about seconds.
template <class TStep>
double Rate(double seconds, TStep&& step) {
  const Clock::time_point start = Clock::now();
  const Clock::duration span = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
  uint64_t steps = 0;
  Clock::duration taken{};
  do {
    for (int i = 0; i < 64; ++i) step();
    steps += 64;
    taken = Clock::now() - start;
  } while (taken < span);
  return static_cast<double>(steps) / std::chrono::duration<double>(taken).count();
}

// The best rates of the two in short rounds taken in turn: on a machine that other work
// shares, the best round of each is the one least disturbed, and both see the same machine.
constexpr double RoundSeconds = 0.1;

struct TRates {
  double Answers = 0;
  double Bare = 0;
};

template <class TAnswer, class TBare>
TRates BestRates(double seconds, TAnswer&& answer, TBare&& bare) {
  TRates best;
  for (double spent = 0; spent < seconds; spent += 2 * RoundSeconds) {
    best.Answers = std::max(best.Answers, Rate(RoundSeconds, answer));
    best.Bare = std::max(best.Bare, Rate(RoundSeconds, bare));
  }
  return best;
}

// The plug-in set up as a host sets it up: LOAD with a listen-only request for the meter in
// the host's INI file, data source 1 switched on.
class THost {
 public:
  explicit THost(const std::string& libraryFile) : Library(libraryFile), Session(Library) {
    Folder = std::filesystem::temp_directory_path() /
             ("cjt188-speed-" + std::to_string(Clock::now().time_since_epoch().count()));
    std::filesystem::create_directories(Folder);
    const std::filesystem::path ini = Folder / "host.ini";
    std::ofstream(ini, std::ios::binary)
        << "[Common]\r\nParser config=<QUERY><Request><Enabled>0</Enabled><Device>1234567</Device>"
           "<DeviceType>20</DeviceType><Response><Item><Function>901F</Function></Item></Response></Request>"
           "</QUERY>\r\nMin interval=0\r\n";
    if (Session.Create() != 0 || Session.Load({{"INI-FILE", TVariant(ini.string())}}).Result != 0 ||
        Session.Command("SET-STATE", {{"DATA-SOURCES-IN-CFG", TVariant("1;COM1;Port 1")}, {"RESULT", TVariant(1)}},
                        0x03)
                .Result != 0)
      throw std::runtime_error("The plug-in refused the set-up");
  }
  ~THost() {
    Session.Free();
    std::error_code ignored;
    std::filesystem::remove_all(Folder, ignored);
  }

  // ProcessData with received bytes and the output list; the number of values returned.
  int32_t Process(const std::string& bytes) {
    TPluginCallRecord record = Session.NewRecord();
    record.DataSourceId = 1;
    record.Mode = 0x02;
    record.Params = reinterpret_cast<uintptr_t>(&Params);
    record.Input = {0, static_cast<uint32_t>(bytes.size()), DataKindSendBytes,
                    reinterpret_cast<uintptr_t>(bytes.data())};
    record.Output = {0, 0, DataKindListObject, reinterpret_cast<uintptr_t>(&Output)};
    Library.ProcessData(&record);
    return Output.Count();
  }

 private:
  host::TPluginLibrary Library;
  host::THostSession Session;
  std::filesystem::path Folder;
  TkroParamsList Params;
  TkroParamsList Output;
};

// The frame found in bytes, its sum checked and its values decoded; the values' sum.
double BareDecode(std::span<const uint8_t> bytes) {
  double sum = 0;
  for (size_t pos = 0; pos + FrameOverhead <= bytes.size(); ++pos) {
    if (bytes[pos] != FrameStart || CheckFrame(bytes.subspan(pos)) != TFrameCheck::Valid) continue;
    const TFrameView frame = ViewFrame(bytes.subspan(pos));
    std::span<const uint8_t> values = frame.Data.subspan(3);
    for (const TRequestFuncType& row : FindRowsFor(MeterData1, frame.MeterType)) {
      if (values.size() < row.Width) break;
      const TDecodedValue decoded = DecodeValue(row, values);
      std::visit(
          [&](const auto& value) {
            if constexpr (std::is_same_v<std::decay_t<decltype(value)>, TDateTimeValue>)
              sum += value.Value;
            else
              sum += static_cast<double>(value);
          },
          decoded.Value);
      values = values.subspan(decoded.Consumed + (row.HasUnitByte() && values.size() > decoded.Consumed ? 1 : 0));
    }
    break;
  }
  return sum;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 4.0;
    const std::string libraryFile = argc > 2 ? argv[2] : CJT_PLUGIN_FILE;
    const std::string answer = HeatAnswer();
    THost host(libraryFile);
    if (host.Process(answer) <= 0) throw std::runtime_error("The answer gave no values");
    const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(answer.data()), answer.size());
    volatile double sink = 0;
    const TRates rates = BestRates(
        seconds, [&] { host.Process(answer); }, [&] { sink = sink + BareDecode(bytes); });
    std::printf("answers/s: %.0f\nbare decode/s: %.0f\nratio: %.1f\n", rates.Answers, rates.Bare,
                rates.Bare / rates.Answers);
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "data_path_speed: %s\n", error.what());
    return 1;
  }
}
