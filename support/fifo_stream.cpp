#include "support/fifo_stream.h"

#include <algorithm>
#include <cstring>

namespace cjt {

namespace {
// What an empty buffer's readers see: a valid address with no bytes behind it.
const uint8_t NoBytes[1] = {0};
}  // namespace

TFIFOStream::TFIFOStream(int32_t size, bool compacting, int32_t step)
    : TThreadObject(nullptr), StorageCapacity(std::max(size, 0)), Step(std::max(step, 0)), IsCompacting(compacting) {}

TFIFOStream::~TFIFOStream() {
  // No reader may still be inside while the storage goes.
  LockWrite();
  Storage.reset();
  UnlockWrite();
}

int32_t TFIFOStream::StorageSize() {
  LockRead();
  const int32_t size = Allocated;
  UnlockRead();
  return size;
}

void TFIFOStream::Reserve(int32_t size) {
  if (size <= Allocated) return;
  const int64_t grown =
      IsCompacting ? std::max<int64_t>({size, 2 * static_cast<int64_t>(Allocated), FirstAllocation}) : StorageCapacity;
  const auto allocation = static_cast<int32_t>(std::min<int64_t>(grown, StorageCapacity));
  std::unique_ptr<uint8_t[]> storage(new uint8_t[static_cast<size_t>(allocation)]);
  // Compacting mode holds its bytes at the start; ring mode takes its storage only when empty.
  if (Size > 0) std::memcpy(storage.get(), Storage.get(), static_cast<size_t>(Size));
  Storage = std::move(storage);
  Allocated = allocation;
}

void TFIFOStream::Release() {
  ReadPosition = WritePosition = Size = 0;
  Storage.reset();
  Allocated = 0;
}

void TFIFOStream::ReleaseWhenEmpty() {
  LockWrite();
  if (Size == 0) Release();
  UnlockWrite();
}

const uint8_t* TFIFOStream::DataStart() const { return Storage ? Storage.get() + ReadPosition : NoBytes; }

int32_t TFIFOStream::DataSize() {
  LockRead();
  const int32_t size = Size;
  UnlockRead();
  return size;
}

int32_t TFIFOStream::FreeSpace() { return StorageCapacity - DataSize(); }

void TFIFOStream::Clear() {
  LockWrite();
  Release();
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
      const int32_t free = StorageCapacity - Size;
      if (count > free) {
        if (!IsCompacting) throw EFIFOStream("Buffer over-run.");
        Remove(std::max(count - free, Step));
      }
      const int32_t n = std::min(count, StorageCapacity - WritePosition);
      Reserve(WritePosition + n);
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
  return DataStart();
}

const uint8_t* TFIFOStream::LockDataRead() {
  LockRead();
  return DataStart();
}

}  // namespace cjt
