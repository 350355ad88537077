#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "support/ptr_hash_list.h"
#include "support/string_list.h"
#include "support/thread_object.h"
#include "support/thread_object_list.h"

namespace cjt {
namespace {

// Counts how many of its kind are alive, to see who frees what.
struct TCounted {
  explicit TCounted(int& alive) : Alive(alive) { ++Alive; }
  ~TCounted() { --Alive; }
  int& Alive;
};

TEST(ThreadObject, GuardsItselfWithoutAnObjectAndCreatesItsLockOnFirstUse) {
  TThreadObject holder;
  EXPECT_FALSE(holder.HasLock());
  EXPECT_EQ(holder.LockRead(), &holder);
  EXPECT_TRUE(holder.HasLock());
  holder.UnlockRead();

  int guarded = 0;
  TThreadObject other(&guarded);
  EXPECT_EQ(other.LockWrite(), &guarded);
  other.Unlock();
}

TEST(ThreadObject, NestsLocksOnOneThread) {
  TThreadObject holder;
  holder.LockWrite();
  holder.LockWrite();
  holder.LockRead();
  holder.UnlockRead();
  holder.UnlockWrite();
  holder.LockRead();  // still the writer
  holder.UnlockRead();
  holder.UnlockWrite();
  // A reader may write, and read again inside.
  holder.LockRead();
  holder.LockWrite();
  holder.LockRead();
  holder.UnlockRead();
  holder.UnlockWrite();
  holder.UnlockRead();
  // Everything was released: another thread can write now.
  std::thread other([&] {
    holder.LockWrite();
    holder.UnlockWrite();
  });
  other.join();
}

TEST(ThreadObjectList, FreesItsObjectsOnlyWhenOwning) {
  int alive = 0;
  {
    TThreadObjectList<TCounted> owning(true);
    owning.Add(new TCounted(alive));
    owning.Add(new TCounted(alive));
    EXPECT_EQ(owning.Count(), 2u);
    owning.Clear();
    EXPECT_EQ(alive, 0);
    owning.Add(new TCounted(alive));
  }
  EXPECT_EQ(alive, 0);

  TCounted kept(alive);
  {
    TThreadObjectList<TCounted> borrowing(false);
    borrowing.Add(&kept);
    borrowing.Clear();
    borrowing.Add(&kept);
  }
  EXPECT_EQ(alive, 1);
}

TEST(ThreadObjectList, DeletesAndExtractsUnderTheLock) {
  int alive = 0;
  TThreadObjectList<TCounted> list(true);
  for (int i = 0; i < 3; ++i) list.Add(new TCounted(alive));
  std::unique_ptr<TCounted> extracted;
  {
    TWriteLocked<TThreadObjectList<TCounted>> locked(list);
    locked->Delete(0);
    extracted = locked->Extract(0);
    EXPECT_THROW(locked->Delete(5), std::out_of_range);
  }
  EXPECT_EQ(list.Count(), 1u);
  EXPECT_EQ(alive, 2);
}

TEST(PtrUIntObjectHash, OwnsItsValuesAndReplacesByKey) {
  int alive = 0;
  {
    TThreadPtrUIntObjectHashList<TCounted> clients;
    {
      TWriteLocked<TThreadPtrUIntObjectHashList<TCounted>> map(clients);
      map->Put(7, std::make_unique<TCounted>(alive));
      map->Put(7, std::make_unique<TCounted>(alive));  // frees the first
      map->Put(UINTPTR_MAX, std::make_unique<TCounted>(alive));
      EXPECT_EQ(alive, 2);
      EXPECT_NE(map->Find(UINTPTR_MAX), nullptr);
      EXPECT_EQ(map->Find(8), nullptr);
      EXPECT_FALSE(map->Remove(8));
      EXPECT_TRUE(map->Remove(UINTPTR_MAX));
      EXPECT_EQ(alive, 1);
      map->Put(9, std::make_unique<TCounted>(alive));
      std::unique_ptr<TCounted> taken = map->Extract(9);
      EXPECT_EQ(map->Extract(9), nullptr);
      EXPECT_EQ(alive, 2);
    }
    EXPECT_EQ(clients.Count(), 1u);
    int visited = 0;
    TReadLocked<TThreadPtrUIntObjectHashList<TCounted>>(clients)->ForEach([&](uintptr_t key, TCounted&) {
      EXPECT_EQ(key, 7u);
      ++visited;
    });
    EXPECT_EQ(visited, 1);
  }
  EXPECT_EQ(alive, 0);
}

TEST(StringList, KeepsOrderAndObjectsAndAddsDuplicatesWhenUnsorted) {
  TStringList list;
  EXPECT_EQ(list.AddObject("Line", 3), 0u);
  EXPECT_EQ(list.AddObject("line", 4), 1u);  // unsorted: duplicates mode plays no part
  EXPECT_EQ(list.Count(), 2u);
  EXPECT_EQ(list.Objects(1), 4u);
  EXPECT_EQ(list.IndexOf("LINE"), 0);
  EXPECT_EQ(list.IndexOf("other"), -1);
  list.SetObject(0, 9);
  list.Delete(0);
  EXPECT_EQ(list.Strings(0), "line");
  EXPECT_THROW(list.Delete(3), std::out_of_range);
}

TEST(StringList, SortedListsFollowTheDuplicatesMode) {
  TStringList list;
  list.Add("beta");
  list.Add("Alpha");
  list.SetSorted(true);
  EXPECT_EQ(list.Strings(0), "Alpha");
  EXPECT_EQ(list.AddObject("ALPHA", 1), 0u);  // ignored: the index of the one there
  EXPECT_EQ(list.Count(), 2u);
  list.SetDuplicates(TDuplicates::Accept);
  list.Add("alpha");
  EXPECT_EQ(list.Count(), 3u);
  list.SetDuplicates(TDuplicates::Error);
  EXPECT_THROW(list.Add("BETA"), std::invalid_argument);
  EXPECT_EQ(list.Add("gamma"), 3u);
}

TEST(ThreadStringList, AddsUnderItsOwnLock) {
  TThreadStringList list;
  EXPECT_EQ(list.AddObject("CJ/T 188-2004", 0x1234), 0u);
  EXPECT_EQ(list.AddObject("other", 0), 1u);
  EXPECT_EQ(list.Count(), 2u);
  {
    TReadLocked<TThreadStringList> locked(list);
    EXPECT_EQ(locked->Objects(0), 0x1234u);
  }
  list.SetDuplicates(TDuplicates::Error);
  EXPECT_EQ(TReadLocked<TThreadStringList>(list)->Duplicates(), TDuplicates::Error);
  list.Clear();
  EXPECT_EQ(list.Count(), 0u);
}

}  // namespace
}  // namespace cjt
