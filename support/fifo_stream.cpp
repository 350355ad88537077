#include "support/fifo_stream.h"

#include <algorithm>
#include <cstring>

namespace cjt {

TFIFOStream::TFIFOStream(int32_t size, bool compacting, int32_t step)
    : TThreadObject(nullptr),
      // The storage is twice the capacity; only the first capacity bytes hold data.
      Storage(new uint8_t[2 * static_cast<size_t>(std::max(size, 0)) + 1]()),
      StorageCapacity(std::max(size, 0)),
      Step(std::max(step, 0)),
      IsCompacting(compacting) {}

TFIFOStream::~TFIFOStream() {
  // No reader may still be inside while the storage goes.
  LockWrite();
  Storage.reset();
  UnlockWrite();
}

int32_t TFIFOStream::DataSize() {
  LockRead();
  const int32_t size = Size;
  UnlockRead();
  return size;
}

int32_t TFIFOStream::FreeSpace() { return StorageCapacity - DataSize(); }

void TFIFOStream::Clear() {
  LockWrite();
  ReadPosition = WritePosition = Size = 0;
  UnlockWrite();
}

void TFIFOStream::Write(const void* data, int32_t count) {
  if (!data || count <= 0) return;
  const auto* bytes = static_cast<const uint8_t*>(data);
  LockWrite();
  try {
    if (IsCompacting && count > StorageCapacity) {
      // Only the newest bytes fit.
      bytes += count - StorageCapacity;
      count = StorageCapacity;
      ReadPosition = WritePosition = Size = 0;
    }
    while (count > 0) {
      const int32_t free = FreeSpace();
      if (count > free) {
        if (!IsCompacting) throw EFIFOStream("Buffer over-run.");
        Remove(std::max(count - free, Step));
      }
      const int32_t n = std::min(count, StorageCapacity - WritePosition);
      std::memcpy(Storage.get() + WritePosition, bytes, static_cast<size_t>(n));
      WritePosition += n;
      Size += n;
      bytes += n;
      count -= n;
      if (WritePosition == StorageCapacity && !IsCompacting) WritePosition = 0;
    }
  } catch (...) {
    UnlockWrite();
    throw;
  }
  UnlockWrite();
}

void TFIFOStream::Remove(int32_t count) {
  if (!IsCompacting) return;
  LockWrite();
  count = std::min(count, Size);
  if (count > 0) {
    const int32_t rest = Size - count;
    if (rest > 0) std::memmove(Storage.get(), Storage.get() + count, static_cast<size_t>(rest));
    ReadPosition = 0;
    WritePosition = Size = rest;
  }
  UnlockWrite();
}

const uint8_t* TFIFOStream::LockData() {
  LockWrite();
  return Storage.get() + ReadPosition;
}

const uint8_t* TFIFOStream::LockDataRead() {
  LockRead();
  return Storage.get() + ReadPosition;
}

}  // namespace cjt
