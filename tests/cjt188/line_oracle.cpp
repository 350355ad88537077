#include "tests/cjt188/line_oracle.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "cjt188/frame.h"
#include "tests/cjt188/expected_values.h"

namespace cjt::test_support {

namespace {

// The module's queue steps every 50 ms: a time-out ends the wait up to this much after it
// ran out. Answers this close to it may or may not be taken.
constexpr uint64_t EdgeMs = 70;
// Time after an answer within which its group's packet reaches the host: the group's other
// requests, each tried up to three times.
constexpr uint64_t GroupSettleMs = 4000;
constexpr uint32_t AttemptsPerRequest = 3;

enum class TOutcome { Answered, Unanswered, Open };

std::string Hex(std::span<const uint8_t> bytes) {
  std::string text;
  char pair[4];
  for (uint8_t b : bytes) {
    std::snprintf(pair, sizeof pair, "%02X", b);
    text += pair;
  }
  return text;
}

class TLinkJudge {
 public:
  TLinkJudge(const TWorldPlan& plan, const TLinkLog& link, uint64_t endMs)
      : Plan(plan), Link(link), EndMs(endMs), Arrivals(link.Arrivals.size()) {}

  TVerdict Judge() {
    FindOverlaps();
    for (size_t k = 0; k < Link.Attempts.size(); ++k)
      Outcomes.push_back(
          JudgeAttempt(Link.Attempts[k], k + 1 < Link.Attempts.size() ? Link.Attempts[k + 1].SentMs : EndMs));
    JudgeListenOnlyAnswers();
    for (const TDelivery& delivery : Link.Deliveries) JudgeDelivery(delivery);
    CheckRequiredAnswers();
    CheckFailureCounts();
    Verdict.Attempts = Link.Attempts.size();
    return std::move(Verdict);
  }

 private:
  struct TArrivalState {
    bool Overlapped = false;  // another valid frame shares bytes with it
    bool Allowed = false;
    bool Required = false;
    uint32_t Delivered = 0;
  };

  void Violation(const std::string& text) {
    Verdict.Violations.push_back("link " + std::to_string(Link.DataSourceId) + "/" +
                                 std::to_string(Link.ConnectionKey) + ": " + text);
  }

  std::string Describe(size_t i) const {
    const TArrival& a = Link.Arrivals[i];
    return "answer of " + AddressText(a.Answer.Address) + " DI " +
           Hex(std::vector<uint8_t>{uint8_t(a.Answer.DI >> 8), uint8_t(a.Answer.DI)}) + " serial " +
           std::to_string(a.Answer.Serial) + (a.Answer.Short ? " (short)" : "") + " fed at +" +
           std::to_string(a.LastFedMs - Link.OpenedMs) + " ms [" + Hex(a.Answer.Frame) + "]";
  }

  // Valid frames the stream holds other than the answers themselves (noise and what follows
  // may make one): the module may take either, so neither answer is owed.
  void FindOverlaps() {
    const std::span<const uint8_t> stream(Link.Stream);
    for (size_t p = 0; p < stream.size(); ++p) {
      if (stream[p] != FrameStart || CheckFrame(stream.subspan(p)) != TFrameCheck::Valid) continue;
      const size_t end = p + FrameLengthAt(stream.subspan(p));
      for (size_t i = 0; i < Link.Arrivals.size(); ++i) {
        const TArrival& a = Link.Arrivals[i];
        const size_t aEnd = a.Begin + a.Answer.Frame.size();
        if (a.Begin != p && a.Begin < end && p < aEnd) Arrivals[i].Overlapped = true;
      }
    }
  }

  // Whether another master's request may have reached the module within the time: a frame
  // from a master ends the wait of the module's own request. It is on the line from when it
  // was asked, held up by the line at most MaxLag.
  bool OtherMasterWithin(uint64_t from, uint64_t to) const {
    const uint64_t lag = MaxLag();
    return std::any_of(Link.OtherMasterMs.begin(), Link.OtherMasterMs.end(),
                       [&](uint64_t at) { return at <= to && at + lag >= from; });
  }

  uint64_t MaxLag() const {
    for (const TWorldLine& line : Plan.Lines)
      if (line.DataSourceId == Link.DataSourceId) return line.Behaviour.MaxLateMs + 200;
    return 2000;
  }

  bool IsListenOnly(const TAddressBytes& address) const {
    return std::any_of(Plan.Meters.begin(), Plan.Meters.end(),
                       [&](const TWorldMeter& m) { return m.ListenOnly && m.Address == address; });
  }

  // An answered request stays the module's current one until it sends the next: more
  // answers of the meter to it may reach the host too.
  void AllowRepeats(const TAttempt& attempt, uint64_t from, uint64_t until) {
    for (size_t i = 0; i < Link.Arrivals.size(); ++i) {
      const TArrival& a = Link.Arrivals[i];
      if (a.Complete && a.LastFedMs >= from && a.LastFedMs <= until && a.Answer.Address == attempt.Address &&
          a.Answer.DI == attempt.DI && !a.Answer.Error)
        Arrivals[i].Allowed = true;
    }
  }

  TOutcome JudgeAttempt(const TAttempt& attempt, uint64_t nextSentMs) {
    const uint64_t timeout = attempt.SentMs + static_cast<uint64_t>(Plan.TimeoutMs);
    const bool open = timeout + EdgeMs >= std::min(EndMs, Link.ClosedMs);
    std::optional<size_t> answer;
    bool ownError = false;
    std::vector<size_t> candidates;
    for (size_t i = 0; i < Link.Arrivals.size(); ++i) {
      const TArrival& a = Link.Arrivals[i];
      if (!a.Complete || a.LastFedMs < attempt.SentMs || a.LastFedMs > timeout + EdgeMs) continue;
      if (a.Answer.Address != attempt.Address) continue;
      if (a.Answer.Error) {
        if (!answer) ownError = true;
        continue;
      }
      if (a.Answer.DI != attempt.DI) continue;
      candidates.push_back(i);
      if (!answer) answer = i;
    }
    const uint64_t awaitedUntil = answer ? Link.Arrivals[*answer].LastFedMs : timeout + EdgeMs;
    const bool clear = !open && !ownError && !OtherMasterWithin(attempt.SentMs, awaitedUntil);
    if (answer && clear && !Link.Arrivals[*answer].Answer.Short && !Arrivals[*answer].Overlapped &&
        Link.Arrivals[*answer].LastFedMs + EdgeMs < timeout) {
      Arrivals[*answer].Required = true;
      AllowRepeats(attempt, awaitedUntil, nextSentMs);
      AwaitedWindows.emplace_back(attempt.SentMs, awaitedUntil);
      return TOutcome::Answered;
    }
    // Until the next send the request stays the module's current one: when another master's
    // request ended the wait early, the meter's answer may still be taken for it.
    AllowRepeats(attempt, attempt.SentMs, std::max(nextSentMs, timeout + EdgeMs));
    for (size_t i : candidates) Arrivals[i].Allowed = true;
    AwaitedWindows.emplace_back(attempt.SentMs, timeout + EdgeMs);
    return !answer && clear ? TOutcome::Unanswered : TOutcome::Open;
  }

  // Answers another master asked for reach the host through the listen-only request; when
  // none of the module's own requests was awaited meanwhile, they must.
  void JudgeListenOnlyAnswers() {
    for (size_t i = 0; i < Link.Arrivals.size(); ++i) {
      const TArrival& a = Link.Arrivals[i];
      if (!IsListenOnly(a.Answer.Address)) continue;
      Arrivals[i].Allowed = true;
      const uint64_t asked = a.LastFedMs - std::min(a.LastFedMs, MaxLag() + 200);
      const bool quiet = std::none_of(AwaitedWindows.begin(), AwaitedWindows.end(), [&](const auto& window) {
        return window.first <= a.LastFedMs + EdgeMs && window.second >= asked;
      });
      Arrivals[i].Required = quiet && a.Complete && !a.Answer.Error && !a.Answer.Short && !Arrivals[i].Overlapped &&
                             a.LastFedMs + GroupSettleMs < std::min(EndMs, Link.ClosedMs);
    }
  }

  // The answer with these bytes that the packet holds. A meter that answers two requests
  // with the same serial number and values sends the same bytes twice: the one not yet
  // delivered that was owed comes first, then one that was allowed, then the earliest.
  std::optional<size_t> FindArrival(const std::string& frame, uint64_t atMs) {
    std::optional<size_t> best;
    const auto rank = [&](size_t i) {
      const TArrivalState& state = Arrivals[i];
      return (state.Delivered == 0 ? 4 : 0) + (state.Required ? 2 : 0) + (state.Allowed ? 1 : 0);
    };
    for (size_t i = 0; i < Link.Arrivals.size(); ++i) {
      const TArrival& a = Link.Arrivals[i];
      if (!a.Complete || a.LastFedMs > atMs || a.Answer.Frame.size() != frame.size() ||
          !std::equal(frame.begin(), frame.end(), a.Answer.Frame.begin(),
                      [](char c, uint8_t b) { return static_cast<uint8_t>(c) == b; }))
        continue;
      if (!best || rank(i) > rank(*best)) best = i;
    }
    return best;
  }

  void JudgeDelivery(const TDelivery& delivery) {
    if (delivery.Packets.empty()) return;
    const std::vector<std::string> frames = delivery.Packets[0].Frames();
    size_t next = 0;
    for (const TPacket& packet : delivery.Packets) JudgePacket(packet, frames, next, delivery.AtMs);
    if (next < frames.size())
      Violation("a packet text holds " + std::to_string(frames.size() - next) +
                " frame(s) whose values no packet holds, at +" + std::to_string(delivery.AtMs - Link.OpenedMs) +
                " ms: " + Hex(std::vector<uint8_t>(frames[next].begin(), frames[next].end())));
  }

  // Takes the frames of the delivery whose values come next in the packet.
  void JudgePacket(const TPacket& packet, const std::vector<std::string>& frames, size_t& next, uint64_t atMs) {
    const auto values = TableValues(packet.Values);
    const std::string device = packet.Value("DEVICE_ID").value_or("(none)");
    const std::string where = "packet of " + device + " at +" + std::to_string(atMs - Link.OpenedMs) + " ms";
    size_t position = 0;
    std::vector<uint16_t> functions;
    while (next < frames.size()) {
      const std::optional<size_t> found = FindArrival(frames[next], atMs);
      if (!found) {
        Violation(where + " holds bytes no meter sent as one answer: " +
                  Hex(std::vector<uint8_t>(frames[next].begin(), frames[next].end())));
        ++next;
        return;
      }
      const meter::TAnswerRecord& answer = Link.Arrivals[*found].Answer;
      const std::vector<TExpectedValue> expected = ExpectedValues(answer, Link.MeterSeed);
      if (!SameNames(values, position, expected)) break;
      for (size_t k = 0; k < expected.size(); ++k)
        if (const std::string differs = CompareValue(expected[k], values[position + k].second); !differs.empty())
          Violation(where + ": " + differs + " in the " + Describe(*found));
      position += expected.size();
      ++next;
      functions.push_back(answer.DI);
      CheckDelivered(*found, device, where);
    }
    if (functions.empty() && values.size() == 1 && values[0].first == "STATUS1") {
      CountFailure(packet, device, where, values[0].second, atMs);
      return;
    }
    if (position != values.size())
      Violation(where + " holds values no frame of it holds (" + std::to_string(values.size() - position) + " of " +
                std::to_string(values.size()) + ", from \"" + (position < values.size() ? values[position].first : "") +
                "\")");
    if (!functions.empty() && !FitsAConfiguredRequest(device, functions))
      Violation(where + " gathers answers of no one configured request");
  }

  static bool SameNames(const std::vector<std::pair<std::string, std::string>>& values, size_t position,
                        const std::vector<TExpectedValue>& expected) {
    if (position + expected.size() > values.size()) return false;
    for (size_t k = 0; k < expected.size(); ++k)
      if (values[position + k].first != expected[k].Name) return false;
    return true;
  }

  void CheckDelivered(size_t i, const std::string& device, const std::string& where) {
    TArrivalState& state = Arrivals[i];
    if (state.Delivered++ > 0) Violation(where + " repeats the " + Describe(i));
    if (AddressText(Link.Arrivals[i].Answer.Address) != device) Violation(where + " holds the " + Describe(i));
    if (!state.Allowed) Violation(where + " holds the " + Describe(i) + ", which no request awaited");
    ++Verdict.AnswersDelivered;
  }

  bool FitsAConfiguredRequest(const std::string& device, std::vector<uint16_t> functions) const {
    std::sort(functions.begin(), functions.end());
    return std::any_of(Plan.Requests.begin(), Plan.Requests.end(), [&](const TWorldRequest& request) {
      const bool hasMeter = std::any_of(request.Meters.begin(), request.Meters.end(),
                                        [&](size_t m) { return Plan.Meters[m].Device == device; });
      std::vector<uint16_t> configured = request.Functions;
      std::sort(configured.begin(), configured.end());
      return hasMeter && std::includes(configured.begin(), configured.end(), functions.begin(), functions.end());
    });
  }

  // A lost connection's client may go on trying its requests; that the sends were refused
  // is a failure it may report.
  void CountFailure(const TPacket& packet, const std::string& device, const std::string& where,
                    const std::string& status, uint64_t atMs) {
    if (status != "128" && status != "64") Violation(where + ": failure status " + status);
    const std::pair<std::string, std::string> item{device, packet.Value("DATA_TYPE_ID_STR").value_or("")};
    ++(atMs > Link.ClosedMs ? FailuresAfterClose : Failures)[item];
    ++Verdict.FailuresDelivered;
  }

  void CheckRequiredAnswers() {
    for (size_t i = 0; i < Arrivals.size(); ++i) {
      const TArrival& a = Link.Arrivals[i];
      // Values held for the rest of their group: the run may end before the group does.
      if (!Arrivals[i].Required || a.LastFedMs + GroupSettleMs >= EndMs) continue;
      ++Verdict.AnswersRequired;
      if (Arrivals[i].Delivered == 0) Violation("the " + Describe(i) + " never reached the host");
    }
  }

  // Three unanswered attempts in a row end a request; one failure packet each when the
  // configured request exports failures. Attempts the world leaves open may make a failure
  // or not.
  void CheckFailureCounts() {
    std::map<std::pair<std::string, std::string>, std::pair<uint64_t, uint64_t>> expected;  // least, most
    for (const TWorldRequest& request : Plan.Requests) {
      if (!request.ExportFailed) continue;
      for (size_t m : request.Meters)
        expected[{Plan.Meters[m].Device, FunctionText(request.Functions[0])}] =
            CountFailedRuns(Plan.Meters[m].Address, request.Functions[0]);
    }
    for (const auto& failures : {Failures, FailuresAfterClose})
      for (const auto& [item, got] : failures)
        if (!expected.contains(item))
          Violation("failure packets for " + item.first + "/" + item.second + ", which exports none");
    for (const auto& [item, range] : expected) {
      const uint64_t got = Failures.contains(item) ? Failures.at(item) : 0;
      Verdict.FailuresRequired += range.first;
      if (got < range.first || got > range.second)
        Violation(std::to_string(got) + " failure packets for " + item.first + "/" + item.second + ", the line left " +
                  std::to_string(range.first) + " to " + std::to_string(range.second) + " requests unanswered");
    }
  }

  std::pair<uint64_t, uint64_t> CountFailedRuns(const TAddressBytes& address, uint16_t di) const {
    uint64_t least = 0, most = 0;
    uint32_t unanswered = 0;
    bool open = false;
    for (size_t k = 0; k < Link.Attempts.size(); ++k) {
      const TAttempt& attempt = Link.Attempts[k];
      if (attempt.Address != address || attempt.DI != di) continue;
      if (Outcomes[k] == TOutcome::Answered) {
        unanswered = 0;
        open = false;
        continue;
      }
      if (Outcomes[k] == TOutcome::Open) {
        open = true;
        ++most;  // an attempt left open may end a run sooner or later
      }
      if (++unanswered < AttemptsPerRequest) continue;
      if (!open) ++least;
      ++most;
      unanswered = 0;
      open = false;
    }
    return {least, most + (unanswered > 0 ? 1 : 0)};
  }

  static std::string FunctionText(uint16_t di) { return Hex(std::vector<uint8_t>{uint8_t(di >> 8), uint8_t(di)}); }

  const TWorldPlan& Plan;
  const TLinkLog& Link;
  const uint64_t EndMs;
  std::vector<TArrivalState> Arrivals;
  std::vector<TOutcome> Outcomes;
  std::vector<std::pair<uint64_t, uint64_t>> AwaitedWindows;
  std::map<std::pair<std::string, std::string>, uint64_t> Failures, FailuresAfterClose;
  TVerdict Verdict;
};

}  // namespace

void TVerdict::Add(const TVerdict& other) {
  Violations.insert(Violations.end(), other.Violations.begin(), other.Violations.end());
  Attempts += other.Attempts;
  AnswersRequired += other.AnswersRequired;
  AnswersDelivered += other.AnswersDelivered;
  FailuresRequired += other.FailuresRequired;
  FailuresDelivered += other.FailuresDelivered;
}

std::string TVerdict::Summary() const {
  return std::to_string(Attempts) + " requests sent, " + std::to_string(AnswersRequired) + " answers owed, " +
         std::to_string(AnswersDelivered) + " delivered, " + std::to_string(FailuresRequired) + " failures owed, " +
         std::to_string(FailuresDelivered) + " delivered, " + std::to_string(Violations.size()) + " violations";
}

TVerdict JudgeLink(const TWorldPlan& plan, const TLinkLog& link, uint64_t endMs) {
  return TLinkJudge(plan, link, endMs).Judge();
}

}  // namespace cjt::test_support
