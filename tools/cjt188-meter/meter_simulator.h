// Simulated meters on one byte stream. The stream's bytes go in through Receive; read
// requests found in them (with or without the 0xFE preamble) are answered by every meter
// they address, and the answers come out of TakeOutput once they are due. Time comes from
// an injected millisecond clock, so that runs are repeatable; nothing here touches the
// operating system, and no input makes it throw.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <random>
#include <span>
#include <utility>
#include <vector>

#include "cjt188/cjt188_types.h"
#include "cjt188/frame.h"
#include "tools/cjt188-meter/meter_model.h"

namespace cjt::meter {

struct TMeterSetup {
  uint8_t MeterType = 0x20;
  TAddressBytes Address{};
};

struct TSimulatorOptions {
  std::vector<TMeterSetup> Meters;
  bool Echo = false;           // the line returns every byte it is sent, at once
  uint32_t DelayMs = 0;        // from request to answer
  double DropRate = 0;         // share of answers that are never sent
  double NoiseRate = 0;        // share of answers preceded by noise bytes
  uint32_t MaxNoiseBytes = 8;  // 1 to this many noise bytes; never 0x68 unless NoiseStartBytes
  // Noise may hold any byte, start and end bytes too, and then often ends with a stray start
  // byte whose length byte claims a frame longer than all that follows it in the answer.
  bool NoiseStartBytes = false;
  uint8_t ErrorStatus = 0;                            // status bits of error answers (0x02 valve, 0x04 battery)
  double ErrorRate = 0;                               // share of answers that are error answers (when ErrorStatus)
  uint32_t PreambleBytes = 0;                         // 0xFE bytes in front of every answer
  bool FullWaterStatus = false;                       // water and gas 901F answers carry STATUS2 too
  TLayoutVariant Variant = TLayoutVariant::Standard;  // the makers' layout the meters answer in
  double ShortRate = 0;                               // share of normal answers that lose bytes from their value data
  uint32_t ShortBytes = 0;                            // bytes a short answer loses (0: 1 to 4 at random)
  uint32_t Seed = 1;
  double StartDateTime = 45658.0;  // meter clocks at the start: 2025-01-01 00:00
};

struct TSimulatorStats {
  uint64_t BytesReceived = 0;
  uint64_t Requests = 0;  // valid read requests
  uint64_t Answers = 0;   // normal answers sent
  uint64_t ErrorAnswers = 0;
  uint64_t ShortAnswers = 0;  // also counted in Answers
  uint64_t Dropped = 0;
  uint64_t Unanswered = 0;  // requests that addressed no meter or asked for no known data
  uint64_t ChecksumErrors = 0;
  uint64_t OtherFrames = 0;  // valid frames that are no read request
};

// An answer the meters sent (queued for the line): what a test compares the other side with.
struct TAnswerRecord {
  uint64_t DueMs = 0;         // when its bytes come out
  double ElapsedSeconds = 0;  // the meter time its values belong to (see TMeterModel::ValueOf)
  TAddressBytes Address{};
  uint8_t MeterType = 0;
  uint16_t DI = 0;
  uint8_t Serial = 0;
  bool Error = false;          // an error answer
  bool Short = false;          // value data cut short, length and checksum fitting the cut
  std::vector<uint8_t> Frame;  // the frame alone: no noise, no preamble
};

class TMeterSimulator {
 public:
  using TClock = std::function<uint64_t()>;

  TMeterSimulator(TSimulatorOptions options, TClock clock);

  void Receive(std::span<const uint8_t> bytes);
  // The bytes due by now, oldest first.
  std::vector<uint8_t> TakeOutput();
  // Milliseconds until the next queued bytes are due (0 when due now), or -1 when none.
  int64_t MillisecondsToNextOutput() const;

  // The normal answer of a meter to a request for di (read data, or read address for 810A);
  // empty when it has no rows for di.
  std::vector<uint8_t> BuildAnswer(const TMeterModel& meter, uint16_t di, uint8_t serial) const;

  const TSimulatorStats& Stats() const { return Counters; }
  // The answers sent, oldest first; the oldest go beyond MaxAnswerRecords.
  const std::vector<TAnswerRecord>& AnswersSent() const { return Records; }
  std::vector<TAnswerRecord> TakeAnswersSent() { return std::exchange(Records, {}); }
  // The line was cut: the bytes on their way (answers and echo not yet out, a request half
  // heard) are lost, and so are their records.
  void DropPending();
  const std::vector<TMeterModel>& Meters() const { return Models; }
  // True when a request with this meter type and address reaches the meter: the type is
  // the meter's or 0xAA; the address is the meter's, with 0xAA bytes matching any byte, or
  // seven 0x99 bytes or seven 0x00 bytes.
  static bool Addresses(const TMeterModel& meter, uint8_t meterType, const TAddressBytes& address);

  // Bytes kept while a frame is incomplete; older bytes are dropped beyond this.
  static constexpr size_t MaxPendingInput = 1024;
  static constexpr size_t MaxAnswerRecords = 65536;

 private:
  struct TPending {
    uint64_t DueMs;
    std::vector<uint8_t> Bytes;
  };

  void Scan();
  void HandleFrame(std::span<const uint8_t> frame);
  void Answer(const TMeterModel& meter, uint16_t di, uint8_t serial);
  // The answer's data field: DI, serial number and the values; empty without rows for di.
  std::vector<uint8_t> AnswerData(const TMeterModel& meter, uint16_t di, uint8_t serial) const;
  void AppendValue(std::vector<uint8_t>& data, const TMeterModel& meter, const TRequestFuncType& row,
                   double elapsed) const;
  void CutShort(std::vector<uint8_t>& data);
  std::vector<uint8_t> Noise(size_t bytesFollowing);
  void Record(TAnswerRecord record);
  void Queue(uint64_t dueMs, std::vector<uint8_t> bytes);
  bool Chance(double rate);
  double ElapsedSeconds() const;

  TSimulatorOptions Options;
  TClock Clock;
  uint64_t StartMs;
  std::vector<TMeterModel> Models;
  std::vector<uint8_t> Input;
  std::deque<TPending> Output;
  std::mt19937 Random;
  TSimulatorStats Counters;
  std::vector<TAnswerRecord> Records;
};

}  // namespace cjt::meter
