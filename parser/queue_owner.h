// What the owners of request queues offer their queues: a data source owns a master queue,
// a protocol client its own queue.
#pragma once

namespace cjt {

class IQueueOwner {
 public:
  virtual ~IQueueOwner() = default;
};

class IQueueDataSource : public IQueueOwner {
 public:
  // A suspended data source's master queue sends nothing.
  virtual bool IsSuspended() = 0;
  virtual bool IsBusy() = 0;
};

class IQueueClient : public IQueueOwner {
 public:
  virtual bool GetActive() = 0;
  // The data source the client belongs to; null when none.
  virtual IQueueDataSource* QueueDataSource() = 0;
};

}  // namespace cjt
