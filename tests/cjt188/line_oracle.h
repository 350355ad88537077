// What the host must have got from a link, judged from what the line did (the link's log)
// and from the world (the meters' models, the configured requests), not from the module:
// - an answer that reached the module whole while its request was awaited reaches the host
//   exactly once, in a packet of the meter that sent it, with the meter's values;
// - a request left unanswered through all its attempts ends in one failure packet when its
//   configured request exports failures;
// - no packet mixes meters or configured requests, and no answer reaches the host twice or
//   without a request (or a listen-only request) that took it.
// Where the world leaves it open (an answer at the time-out's edge, a short answer, a frame
// that noise around it could also make, another master talking meanwhile, a lost
// connection), the module may do either.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/cjt188/line_world.h"
#include "tests/cjt188/link_log.h"

namespace cjt::test_support {

struct TVerdict {
  std::vector<std::string> Violations;
  uint64_t Attempts = 0;
  uint64_t AnswersRequired = 0;  // answers that had to reach the host (listen-only ones too)
  uint64_t AnswersDelivered = 0;
  uint64_t FailuresRequired = 0;
  uint64_t FailuresDelivered = 0;

  void Add(const TVerdict& other);
  std::string Summary() const;
};

// The link's verdict; endMs is when the run ended (later answers and time-outs are open).
TVerdict JudgeLink(const TWorldPlan& plan, const TLinkLog& link, uint64_t endMs);

}  // namespace cjt::test_support
