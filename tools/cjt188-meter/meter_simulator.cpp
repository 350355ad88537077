#include "tools/cjt188-meter/meter_simulator.h"

#include <algorithm>

#include "cjt188/cjt188_types.h"
#include "tools/cjt188-meter/value_encoding.h"

namespace cjt::meter {

namespace {

constexpr uint8_t AnyMeterType = 0xAA;
constexpr uint8_t WildcardByte = 0xAA;

bool AllBytes(const TAddressBytes& address, uint8_t value) {
  return std::all_of(address.begin(), address.end(), [&](uint8_t b) { return b == value; });
}

}  // namespace

TMeterSimulator::TMeterSimulator(TSimulatorOptions options, TClock clock)
    : Options(std::move(options)), Clock(std::move(clock)), StartMs(Clock()), Random(Options.Seed) {
  for (const TMeterSetup& meter : Options.Meters) Models.emplace_back(meter.MeterType, meter.Address, Options.Seed);
}

bool TMeterSimulator::Addresses(const TMeterModel& meter, uint8_t meterType, const TAddressBytes& address) {
  if (meterType != meter.MeterType() && meterType != AnyMeterType) return false;
  if (AllBytes(address, 0x99) || AllBytes(address, 0x00)) return true;
  for (size_t i = 0; i < address.size(); ++i)
    if (address[i] != WildcardByte && address[i] != meter.Address()[i]) return false;
  return true;
}

void TMeterSimulator::Receive(std::span<const uint8_t> bytes) {
  if (bytes.empty()) return;
  Counters.BytesReceived += bytes.size();
  if (Options.Echo) Queue(Clock(), {bytes.begin(), bytes.end()});
  Input.insert(Input.end(), bytes.begin(), bytes.end());
  Scan();
  if (Input.size() > MaxPendingInput) Input.erase(Input.begin(), Input.end() - MaxPendingInput);
}

// Handles every valid frame in the input. An incomplete frame keeps the bytes from its start
// for the next call, unless a valid frame follows it: a stray start byte in line noise then
// does not hold up the requests behind it.
void TMeterSimulator::Scan() {
  const std::span<const uint8_t> input(Input);
  size_t position = 0;
  size_t keepFrom = input.size();
  // Bad frames are counted once, in the scan that drops them.
  std::vector<size_t> badFrames;
  while (position < input.size()) {
    if (input[position] != FrameStart) {
      ++position;
      continue;
    }
    const std::span<const uint8_t> rest = input.subspan(position);
    switch (CheckFrame(rest)) {
      case TFrameCheck::Valid: {
        const size_t length = FrameLengthAt(rest);
        HandleFrame(rest.first(length));
        position += length;
        keepFrom = input.size();
        continue;
      }
      case TFrameCheck::Incomplete:
        keepFrom = std::min(keepFrom, position);
        break;
      case TFrameCheck::BadChecksum:
        badFrames.push_back(position);
        break;
      case TFrameCheck::NoEnd:
      case TFrameCheck::NoStart:
        break;
    }
    ++position;
  }
  const size_t consumed = std::min(keepFrom, position);
  Counters.ChecksumErrors += std::count_if(badFrames.begin(), badFrames.end(), [&](size_t p) { return p < consumed; });
  Input.erase(Input.begin(), Input.begin() + consumed);
}

void TMeterSimulator::HandleFrame(std::span<const uint8_t> frame) {
  const TFrameView view = ViewFrame(frame);
  const uint16_t di = view.Data.size() < 3 ? 0 : static_cast<uint16_t>(view.Data[0] << 8 | view.Data[1]);
  // Read data, or read address with its own identifier.
  if (view.FromMeter() || view.Data.size() < 3 || view.Function() != RequestFunctionOf(di)) {
    ++Counters.OtherFrames;
    return;
  }
  ++Counters.Requests;
  const uint8_t serial = view.Data[2];
  bool answered = false;
  for (const TMeterModel& meter : Models) {
    if (!Addresses(meter, view.MeterType, view.Address) || FindRowsFor(di, meter.MeterType()).empty()) continue;
    answered = true;
    Answer(meter, di, serial);
  }
  if (!answered) ++Counters.Unanswered;
}

std::vector<uint8_t> TMeterSimulator::BuildAnswer(const TMeterModel& meter, uint16_t di, uint8_t serial) const {
  const std::vector<uint8_t> data = AnswerData(meter, di, serial);
  if (data.empty()) return {};
  return BuildFrame(meter.MeterType(), meter.Address(), ControlFromMeter | RequestFunctionOf(di), data);
}

std::vector<uint8_t> TMeterSimulator::AnswerData(const TMeterModel& meter, uint16_t di, uint8_t serial) const {
  // The short heat layout's rows are those of its answer length.
  const auto rows = FindRowsFor(di, meter.MeterType(), Options.Variant, ShortHeatValueBytes);
  if (rows.empty()) return {};
  const bool waterOrGas = FamilyOf(meter.MeterType()) != TMeterFamily::Heat;
  const bool unitFirst = Options.Variant == TLayoutVariant::UnitFirst;
  const double elapsed = ElapsedSeconds();
  std::vector<uint8_t> data{static_cast<uint8_t>(di >> 8), static_cast<uint8_t>(di), serial};
  for (const TRequestFuncType& row : rows) {
    // A water or gas meter's 901F answer ends with its two status bytes in STATUS1.
    if (di == 0x901F && waterOrGas && row.Name == "STATUS2" && !Options.FullWaterStatus) break;
    const uint8_t unit = TMeterModel::UnitCodeOf(row.Name);
    if (row.HasUnitByte() && unitFirst) data.push_back(unit);
    AppendValue(data, meter, row, elapsed);
    if (row.HasUnitByte() && !unitFirst) data.push_back(unit);
  }
  return data;
}

void TMeterSimulator::AppendValue(std::vector<uint8_t>& data, const TMeterModel& meter, const TRequestFuncType& row,
                                  double elapsed) const {
  const double value = meter.ValueOf(row.Name, elapsed, Options.StartDateTime);
  switch (row.Kind()) {
    case TValueKind::Integer:
      AppendUnsigned(data, static_cast<uint32_t>(value), row.Width);
      break;
    case TValueKind::DateTime:
      AppendDateTime(data, value);
      break;
    case TValueKind::Bcd:
      AppendBcd(data, value, row.Width, row.Decimals());
      break;
    case TValueKind::MeterType:  // the frame's type byte: nothing in the data
      break;
  }
}

// Drops bytes from the end of the values; the DI and the serial number stay.
void TMeterSimulator::CutShort(std::vector<uint8_t>& data) {
  constexpr size_t kept = 3;
  const size_t cut = Options.ShortBytes > 0 ? Options.ShortBytes : 1 + Random() % 4;
  data.resize(std::max(kept, data.size() - std::min(cut, data.size())));
}

// 1 to MaxNoiseBytes bytes. With start bytes allowed, every other noise ends with a stray
// start byte, nine bytes and a length byte that claims a frame longer than the stray start
// and all that follows it in the answer (bytesFollowing after the noise).
std::vector<uint8_t> TMeterSimulator::Noise(size_t bytesFollowing) {
  const auto noiseByte = [this] { return static_cast<uint8_t>(Random()); };
  const uint32_t count = 1 + Random() % std::max<uint32_t>(Options.MaxNoiseBytes, 1);
  std::vector<uint8_t> bytes;
  while (bytes.size() < count) {
    const uint8_t noise = noiseByte();
    if (noise != FrameStart || Options.NoiseStartBytes) bytes.push_back(noise);
  }
  if (!Options.NoiseStartBytes || Random() % 2 != 0) return bytes;
  bytes.push_back(FrameStart);
  for (size_t i = 1; i < FrameLengthOffset; ++i) bytes.push_back(noiseByte());
  // From the stray start, FrameLengthOffset + 1 + bytesFollowing bytes are there; the frame
  // it claims has FrameOverhead + length.
  bytes.push_back(static_cast<uint8_t>(std::min<size_t>(255, bytesFollowing + Random() % 32)));
  return bytes;
}

void TMeterSimulator::Answer(const TMeterModel& meter, uint16_t di, uint8_t serial) {
  if (Chance(Options.DropRate)) {
    ++Counters.Dropped;
    return;
  }
  TAnswerRecord record{.DueMs = Clock() + Options.DelayMs,
                       .ElapsedSeconds = ElapsedSeconds(),
                       .Address = meter.Address(),
                       .MeterType = meter.MeterType(),
                       .DI = di,
                       .Serial = serial,
                       .Error = false,
                       .Short = false,
                       .Frame = {}};
  uint8_t control = ControlFromMeter | RequestFunctionOf(di);
  std::vector<uint8_t> data;
  if (Options.ErrorStatus != 0 && Chance(Options.ErrorRate)) {
    data = {serial, Options.ErrorStatus, 0x00};
    control |= ControlError;
    record.Error = true;
    ++Counters.ErrorAnswers;
  } else {
    data = AnswerData(meter, di, serial);
    record.Short = Chance(Options.ShortRate);
    if (record.Short) {
      CutShort(data);
      ++Counters.ShortAnswers;
    }
    ++Counters.Answers;
  }
  record.Frame = BuildFrame(meter.MeterType(), meter.Address(), control, data);
  std::vector<uint8_t> bytes;
  if (Chance(Options.NoiseRate)) bytes = Noise(Options.PreambleBytes + record.Frame.size());
  bytes.insert(bytes.end(), Options.PreambleBytes, PreambleByte);
  bytes.insert(bytes.end(), record.Frame.begin(), record.Frame.end());
  Queue(record.DueMs, std::move(bytes));
  Record(std::move(record));
}

void TMeterSimulator::Record(TAnswerRecord record) {
  if (Records.size() >= MaxAnswerRecords) Records.erase(Records.begin(), Records.begin() + MaxAnswerRecords / 2);
  Records.push_back(std::move(record));
}

void TMeterSimulator::Queue(uint64_t dueMs, std::vector<uint8_t> bytes) {
  const auto place = std::upper_bound(Output.begin(), Output.end(), dueMs,
                                      [](uint64_t due, const TPending& p) { return due < p.DueMs; });
  Output.insert(place, TPending{dueMs, std::move(bytes)});
}

std::vector<uint8_t> TMeterSimulator::TakeOutput() {
  const uint64_t now = Clock();
  std::vector<uint8_t> due;
  while (!Output.empty() && Output.front().DueMs <= now) {
    due.insert(due.end(), Output.front().Bytes.begin(), Output.front().Bytes.end());
    Output.pop_front();
  }
  return due;
}

void TMeterSimulator::DropPending() {
  Output.clear();
  Input.clear();
  Records.clear();
}

int64_t TMeterSimulator::MillisecondsToNextOutput() const {
  if (Output.empty()) return -1;
  const uint64_t now = Clock();
  return Output.front().DueMs <= now ? 0 : static_cast<int64_t>(Output.front().DueMs - now);
}

bool TMeterSimulator::Chance(double rate) {
  if (rate <= 0) return false;
  if (rate >= 1) return true;
  return Random() < rate * 4294967296.0;
}

double TMeterSimulator::ElapsedSeconds() const {
  const uint64_t now = Clock();
  return now > StartMs ? (now - StartMs) / 1000.0 : 0;
}

}  // namespace cjt::meter
