#include "tools/cjt188-host/mqtt_queue.h"

#include <algorithm>

namespace cjt::host {

void TReadingQueue::Push(std::string topic, std::string payload) {
  std::lock_guard lock(Mutex);
  if (Readings.size() >= Limit) {
    // An acknowledgement that still comes for it finds nothing and is ignored.
    if (Readings.front().MessageId >= 0) --HandedOut;
    Readings.pop_front();
    ++DroppedCount;
  }
  Readings.push_back({std::move(topic), std::move(payload), -1});
}

size_t TReadingQueue::Size() const {
  std::lock_guard lock(Mutex);
  return Readings.size();
}

uint64_t TReadingQueue::Dropped() const {
  std::lock_guard lock(Mutex);
  return DroppedCount;
}

// Readings are handed out in order, so the handed-out ones are always the first HandedOut.
void TReadingQueue::HandOut(size_t window, const TPublish& publish) {
  std::lock_guard lock(Mutex);
  while (HandedOut < window && HandedOut < Readings.size()) {
    TQueuedReading& next = Readings[HandedOut];
    const int id = publish(next);
    if (id < 0) return;
    next.MessageId = id;
    ++HandedOut;
  }
}

void TReadingQueue::Acknowledged(int messageId) {
  std::lock_guard lock(Mutex);
  const auto end = Readings.begin() + static_cast<std::ptrdiff_t>(HandedOut);
  const auto found =
      std::find_if(Readings.begin(), end, [&](const TQueuedReading& r) { return r.MessageId == messageId; });
  if (found == end) return;
  Readings.erase(found);
  --HandedOut;
}

void TReadingQueue::TakeBack() {
  std::lock_guard lock(Mutex);
  for (size_t i = 0; i < HandedOut; ++i) Readings[i].MessageId = -1;
  HandedOut = 0;
}

}  // namespace cjt::host
