#include "support/string_list.h"

#include <algorithm>
#include <stdexcept>

#include "support/thread_object.h"

namespace cjt {

namespace {

int CompareText(std::string_view a, std::string_view b) {
  const size_t common = std::min(a.size(), b.size());
  for (size_t i = 0; i < common; ++i) {
    const int ca = (a[i] >= 'A' && a[i] <= 'Z') ? a[i] + 32 : static_cast<unsigned char>(a[i]);
    const int cb = (b[i] >= 'A' && b[i] <= 'Z') ? b[i] + 32 : static_cast<unsigned char>(b[i]);
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool TextLess(const TStringList::TItem& a, const TStringList::TItem& b) { return CompareText(a.Text, b.Text) < 0; }

}  // namespace

size_t TStringList::AddObject(std::string text, uintptr_t object) {
  if (!IsSorted) {
    Items.push_back({std::move(text), object});
    return Items.size() - 1;
  }
  TItem item{std::move(text), object};
  auto place = std::lower_bound(Items.begin(), Items.end(), item, TextLess);
  if (place != Items.end() && CompareText(place->Text, item.Text) == 0) {
    if (DuplicatesMode == TDuplicates::Ignore) return static_cast<size_t>(place - Items.begin());
    if (DuplicatesMode == TDuplicates::Error) throw std::invalid_argument("String list does not allow duplicates");
  }
  place = std::upper_bound(Items.begin(), Items.end(), item, TextLess);
  return static_cast<size_t>(Items.insert(place, std::move(item)) - Items.begin());
}

void TStringList::Delete(size_t index) {
  if (index >= Items.size()) throw std::out_of_range("List index out of bounds");
  Items.erase(Items.begin() + static_cast<std::ptrdiff_t>(index));
}

std::ptrdiff_t TStringList::IndexOf(std::string_view text) const {
  for (size_t i = 0; i < Items.size(); ++i)
    if (CompareText(Items[i].Text, text) == 0) return static_cast<std::ptrdiff_t>(i);
  return -1;
}

void TStringList::SetSorted(bool sorted) {
  if (sorted && !IsSorted) std::stable_sort(Items.begin(), Items.end(), TextLess);
  IsSorted = sorted;
}

size_t TThreadStringList::AddObject(std::string text, uintptr_t object) {
  return TWriteLocked<TThreadStringList>(*this)->AddObject(std::move(text), object);
}

void TThreadStringList::Clear() { TWriteLocked<TThreadStringList>(*this)->Clear(); }

void TThreadStringList::SetDuplicates(TDuplicates mode) { TWriteLocked<TThreadStringList>(*this)->SetDuplicates(mode); }

size_t TThreadStringList::Count() { return TReadLocked<TThreadStringList>(*this)->Count(); }

}  // namespace cjt
