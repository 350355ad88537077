#include "tests/cjt188/line_conditions.h"

#include <algorithm>

#include "cjt188/frame.h"
#include "platform/clock.h"

namespace cjt::test_support {

TLineConditions::TLineConditions(meter::TSimulatorOptions meters, TLineBehaviour behaviour, uint32_t seed)
    : Simulator(meters, [] { return platform::TickCount64(); }),
      Behaviour(behaviour),
      Random(seed),
      Echo(meters.Echo) {}

void TLineConditions::Hear(std::span<const uint8_t> bytes) { Simulator.Receive(bytes); }

void TLineConditions::OtherMasterAsks(uint8_t meterType, const TAddressBytes& address, uint16_t di, uint8_t serial,
                                      TLinkLog& link) {
  link.OtherMasterMs.push_back(platform::TickCount64());
  const auto request = BuildReadRequest(meterType, address, di, serial);
  Simulator.Receive(request);
  // A line with echo returns the request by itself.
  if (!Echo) OtherMasterBytes.insert(OtherMasterBytes.end(), request.begin(), request.end());
}

void TLineConditions::TakeOutput(uint64_t nowMs) {
  std::vector<uint8_t> output = std::exchange(OtherMasterBytes, {});
  const std::vector<uint8_t> meters = Simulator.TakeOutput();
  output.insert(output.end(), meters.begin(), meters.end());
  for (meter::TAnswerRecord& record : Simulator.TakeAnswersSent()) Queued.push_back(std::move(record));
  if (output.empty()) return;
  const bool late = Behaviour.LatePercent > 0 && Random() % 100 < Behaviour.LatePercent;
  const uint64_t delay = late ? 1 + Random() % std::max<uint32_t>(Behaviour.MaxLateMs, 1) : 0;
  LastNotBeforeMs = std::max(LastNotBeforeMs, nowMs + delay);
  std::vector<TByte> bytes;
  for (uint8_t value : output) bytes.push_back({value, -1, LastNotBeforeMs});
  Tag(bytes);
  Transit.insert(Transit.end(), bytes.begin(), bytes.end());
}

// The answers due by now are in the output, in the order they were queued (one delay for
// all): each one's frame is found after the previous one's.
void TLineConditions::Tag(std::vector<TByte>& bytes) {
  const uint64_t now = platform::TickCount64();
  size_t from = 0;
  while (!Queued.empty() && Queued.front().DueMs <= now) {
    const std::vector<uint8_t>& frame = Queued.front().Frame;
    const auto found = std::search(bytes.begin() + static_cast<long>(from), bytes.end(), frame.begin(), frame.end(),
                                   [](const TByte& byte, uint8_t value) { return byte.Value == value; });
    if (found == bytes.end()) break;  // never: the meters' output holds every frame they queued
    const int32_t id = FirstInTransit + static_cast<int32_t>(InTransit.size());
    for (auto byte = found; byte != found + static_cast<long>(frame.size()); ++byte) byte->Answer = id;
    from = static_cast<size_t>(found - bytes.begin()) + frame.size();
    InTransit.push_back({.Answer = std::move(Queued.front())});
    Queued.pop_front();
  }
}

size_t TLineConditions::CountToDeliver(uint64_t nowMs) {
  const auto due = static_cast<size_t>(
      std::find_if(Transit.begin(), Transit.end(), [&](const TByte& byte) { return byte.NotBeforeMs > nowMs; }) -
      Transit.begin());
  if (due == 0 || Random() % 100 < Behaviour.HoldPercent) return 0;
  if (Random() % 100 < Behaviour.SplitPercent) return 1 + Random() % due;
  return due;
}

void TLineConditions::Log(const TByte& byte, uint64_t nowMs, TLinkLog& link) {
  link.Stream.push_back(byte.Value);
  if (byte.Answer < 0) return;
  TArrival& arrival = InTransit[static_cast<size_t>(byte.Answer - FirstInTransit)];
  if (arrival.FirstFedMs == 0) {
    arrival.FirstFedMs = nowMs;
    arrival.Begin = link.Stream.size() - 1;
  }
  if (link.Stream.size() - arrival.Begin < arrival.Answer.Frame.size()) return;
  arrival.LastFedMs = nowMs;
  arrival.Complete = true;
  link.Arrivals.push_back(std::move(arrival));
  InTransit.pop_front();  // answers come out in order: this is the front
  ++FirstInTransit;
}

std::string TLineConditions::Deliver(uint64_t nowMs, TLinkLog& link) {
  TakeOutput(nowMs);
  const size_t count = CountToDeliver(nowMs);
  std::string block;
  for (size_t i = 0; i < count; ++i) {
    block.push_back(static_cast<char>(Transit.front().Value));
    Log(Transit.front(), nowMs, link);
    Transit.pop_front();
  }
  return block;
}

// What was on its way over the lost connection never arrives, on a later one neither.
void TLineConditions::Break(TLinkLog& link) {
  for (TArrival& arrival : InTransit)
    if (arrival.FirstFedMs != 0) link.Arrivals.push_back(std::move(arrival));
  FirstInTransit += static_cast<int32_t>(InTransit.size());
  InTransit.clear();
  Transit.clear();
  Simulator.DropPending();
  Queued.clear();
  OtherMasterBytes.clear();
  link.ClosedMs = platform::TickCount64();
}

}  // namespace cjt::test_support
