// The readings waiting for the MQTT broker, oldest first: pushed by the main loop, handed to
// the MQTT client a few at a time, and removed only when the broker has acknowledged them.
// A connection that fails hands the unacknowledged ones out again, in their order. When the
// queue is full the oldest reading is dropped and counted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>

namespace cjt::host {

struct TQueuedReading {
  std::string Topic;
  std::string Payload;
  int MessageId = -1;  // handed to the client under this id; -1: not yet
};

class TReadingQueue {
 public:
  // publish: hands a reading to the client; its message id, or -1 when it could not.
  using TPublish = std::function<int(const TQueuedReading&)>;

  explicit TReadingQueue(size_t limit) : Limit(limit) {}

  // Any thread.
  void Push(std::string topic, std::string payload);
  size_t Size() const;
  uint64_t Dropped() const;

  // Hands out the oldest readings not handed out yet, while fewer than window are waiting for
  // their acknowledgement, until publish fails.
  void HandOut(size_t window, const TPublish& publish);
  // The broker acknowledged the message: its reading is done.
  void Acknowledged(int messageId);
  // The connection is gone: every reading waiting for an acknowledgement goes out again.
  void TakeBack();

 private:
  const size_t Limit;
  mutable std::mutex Mutex;
  std::deque<TQueuedReading> Readings;
  size_t HandedOut = 0;  // readings at the front with a message id
  uint64_t DroppedCount = 0;
};

}  // namespace cjt::host
