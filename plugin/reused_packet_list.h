// TReusedPacketList: the list a data source decodes its packets into, kept from packet to
// packet so that its items are made once and refilled, not made and freed for every value.
// One call at a time uses it; a call that finds it taken (another thread, or a host that
// calls back in while a packet is handed over) decodes into a list of its own.
#pragma once

#include <atomic>

#include "plugin/parsed_data_list.h"

namespace cjt {

class TReusedPacketList {
 public:
  // The list for one packet: the reused one when it is free, else a list of the lease's own.
  // The reused list is emptied when the lease ends.
  class TLease {
   public:
    explicit TLease(TReusedPacketList& owner)
        : Owner(owner.InUse.test_and_set(std::memory_order_acquire) ? nullptr : &owner) {}
    ~TLease() {
      if (Owner == nullptr) return;
      Owner->Shared.Clear();
      Owner->InUse.clear(std::memory_order_release);
    }
    TLease(const TLease&) = delete;
    TLease& operator=(const TLease&) = delete;

    TParsedDataList& List() { return Owner ? Owner->Shared : Own; }

   private:
    TReusedPacketList* Owner;
    TParsedDataList Own;
  };

 private:
  TParsedDataList Shared;
  std::atomic_flag InUse = ATOMIC_FLAG_INIT;
};

}  // namespace cjt
