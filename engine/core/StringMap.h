#pragma once

#include <cstdint>
#include <map>
#include <string_view>

#include "engine/core/CRC32.h"

// The system's container for named things. Each entry is keyed by the CRC-32 of its name
// (upper-cased first when ignoreCase); names are not stored, so two names with the same
// checksum are one key. An owning map deletes its values when cleared or destroyed.
template <typename T>
class StringMap {
 public:
  using Entries = std::map<uint32_t, T*>;

  explicit StringMap(bool ownsValues = true, bool ignoreCase = true)
      : ownsValues_(ownsValues), ignoreCase_(ignoreCase) {}
  virtual ~StringMap() { Clear(); }
  StringMap(const StringMap&) = delete;
  StringMap& operator=(const StringMap&) = delete;

  uint32_t KeyOf(std::string_view name) const {
    return num::CRC32::Instance().Calc(name, ignoreCase_);
  }

  T* Find(std::string_view name) const { return FindKey(KeyOf(name)); }
  T* FindKey(uint32_t key) const {
    auto it = entries_.find(key);
    return it == entries_.end() ? nullptr : it->second;
  }

  // False, and nothing stored, when the name is present; a refused value stays the caller's.
  bool Insert(std::string_view name, T* value) { return InsertKey(KeyOf(name), value); }
  bool InsertKey(uint32_t key, T* value) { return entries_.emplace(key, value).second; }

  // Removes the entry without deleting its value; returns the value (null when absent).
  T* Remove(std::string_view name) {
    auto it = entries_.find(KeyOf(name));
    if (it == entries_.end()) return nullptr;
    T* value = it->second;
    entries_.erase(it);
    return value;
  }

  void Clear() {
    if (ownsValues_) {
      for (auto& entry : entries_) delete entry.second;
    }
    entries_.clear();
  }

  size_t Size() const { return entries_.size(); }
  bool Empty() const { return entries_.empty(); }
  bool OwnsValues() const { return ownsValues_; }

  // Iteration in ascending key order.
  typename Entries::const_iterator begin() const { return entries_.begin(); }
  typename Entries::const_iterator end() const { return entries_.end(); }

 private:
  Entries entries_;
  bool ownsValues_;
  bool ignoreCase_;
};
