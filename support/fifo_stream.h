// The receive buffer of a protocol client: received blocks are appended, a scanner reads the
// buffered bytes in place under the lock and removes from the front what it consumed.
//
// Compacting mode keeps the bytes at the start of the storage at all times and never fails:
// when a write does not fit, the oldest bytes (at least Step of them) are discarded. Ring
// mode refuses a write that does not fit with EFIFOStream "Buffer over-run.".
//
// The storage is taken when bytes arrive and given back by Clear, or by ReleaseWhenEmpty once
// the buffer is empty: an idle connection's buffer holds no memory. In compacting mode it
// grows with the bytes held (from FirstAllocation, doubling, up to the capacity); ring mode
// takes its whole capacity at once.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>

#include "support/thread_object.h"

namespace cjt {

class EFIFOStream : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TFIFOStream : public TThreadObject {
 public:
  static constexpr int32_t DefaultCapacity = 0x4000;
  static constexpr int32_t DefaultStep = 64;
  static constexpr int32_t FirstAllocation = 256;

  explicit TFIFOStream(int32_t size = DefaultCapacity, bool compacting = true, int32_t step = DefaultStep);
  ~TFIFOStream() override;

  int32_t Capacity() const { return StorageCapacity; }
  // The bytes of storage held now.
  int32_t StorageSize();
  bool Compacting() const { return IsCompacting; }

  int32_t DataSize();
  int32_t FreeSpace();
  void Clear();
  // Appends count bytes. In compacting mode a single write longer than the capacity keeps
  // its newest capacity bytes.
  void Write(const void* data, int32_t count);
  // Drops up to count bytes from the front; compacting mode only. The storage stays, at the
  // same address: a scanner holding the data may remove what it consumed.
  void Remove(int32_t count);
  // Gives the storage back when no byte is held. Not while this thread holds the data.
  void ReleaseWhenEmpty();

  // Exclusive (LockData, ends with Unlock) or shared (LockDataRead, ends with UnlockRead)
  // access to the buffered bytes, oldest first.
  const uint8_t* LockData();
  const uint8_t* LockDataRead();

 private:
  // Called with the exclusive lock held.
  // Makes the storage hold at least size bytes, keeping the bytes held.
  void Reserve(int32_t size);
  void Release();
  const uint8_t* DataStart() const;

  std::unique_ptr<uint8_t[]> Storage;
  int32_t Allocated = 0;
  const int32_t StorageCapacity;
  const int32_t Step;
  int32_t WritePosition = 0;
  int32_t ReadPosition = 0;
  // Kept apart from the positions: in ring mode a full buffer has its write position back
  // at the read position, which the positions alone would take for an empty one.
  int32_t Size = 0;
  const bool IsCompacting;
};

}  // namespace cjt
