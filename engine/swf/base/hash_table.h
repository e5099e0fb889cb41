#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <utility>
#include <vector>

namespace swf {

// h = seed; then, from the last byte to the first, h = h * 65599 + byte.
inline uint32_t byte_hash(const void* data, size_t size, uint32_t seed = 5381) {
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  uint32_t h = seed;
  while (size > 0) h = h * 65599 + bytes[--size];
  return h;
}

// Hash of a fixed-size key (an id, a pointer) over its bytes.
template <class K>
struct fixed_size_hash {
  uint32_t operator()(const K& key) const {
    unsigned char bytes[sizeof(K)];
    std::memcpy(bytes, &key, sizeof(K));
    return byte_hash(bytes, sizeof(K), 5381);
  }
};

// Open-addressing hash table with chains threaded through the slots. Every chain starts
// in its natural slot (hash & mask); an entry of another chain found there is moved to a
// free slot. Iteration walks the slots in order, which is the order member enumeration
// and the cache file see.
template <class K, class V, class H = fixed_size_hash<K>, class Eq = std::equal_to<K>>
class hash_table {
 public:
  struct entry {
    int next = -2;  // -2: empty slot, -1: end of chain, else the next entry of the chain
    uint32_t hash = 0;
    K key{};
    V value{};
    bool is_empty() const { return next == -2; }
  };

  int size() const { return m_count; }
  bool empty() const { return m_count == 0; }
  int capacity() const { return static_cast<int>(m_entries.size()); }
  // The slots the table will have once one more key is added.
  int capacity_for_one_more() const {
    if (m_entries.empty()) return 16;
    return m_count * 3 > capacity() * 2 ? capacity() * 2 : capacity();
  }

  void clear() {
    m_entries = std::vector<entry>();
    m_count = 0;
  }

  void add(const K& key, const V& value) {
    if (m_entries.empty()) {
      set_raw_capacity(capacity_for_one_more());
    } else if (capacity_for_one_more() != capacity()) {
      set_capacity(capacity_for_one_more());
    }
    ++m_count;
    uint32_t hash = H()(key);
    int mask = capacity() - 1;
    int index = static_cast<int>(hash & static_cast<uint32_t>(mask));
    entry& natural = m_entries[index];
    if (natural.is_empty()) {
      natural = entry{-1, hash, key, value};
      return;
    }
    int blank = index;
    do {
      blank = (blank + 1) & mask;
    } while (!m_entries[blank].is_empty());

    int occupant_home = static_cast<int>(natural.hash & static_cast<uint32_t>(mask));
    if (occupant_home == index) {
      // The occupant heads this chain: it moves on, the new entry becomes the head.
      m_entries[blank] = std::move(natural);
      natural = entry{blank, hash, key, value};
    } else {
      // The occupant belongs to another chain: move it and relink its predecessor.
      int previous = occupant_home;
      while (m_entries[previous].next != index) previous = m_entries[previous].next;
      m_entries[blank] = std::move(natural);
      m_entries[previous].next = blank;
      natural = entry{-1, hash, key, value};
    }
  }

  // Replaces the value of an existing key, else adds it.
  void set(const K& key, const V& value) {
    if (V* found = find_value(key)) {
      *found = value;
    } else {
      add(key, value);
    }
  }

  V* find_value(const K& key) {
    int index = find_index(key);
    return index >= 0 ? &m_entries[index].value : nullptr;
  }
  const V* find_value(const K& key) const { return const_cast<hash_table*>(this)->find_value(key); }
  bool get(const K& key, V* out) const {
    const V* found = find_value(key);
    if (found && out) *out = *found;
    return found != nullptr;
  }

  void set_capacity(int n) {
    if (n < 1) {
      clear();
      return;
    }
    int new_capacity = 16;
    while (new_capacity < n) new_capacity <<= 1;
    std::vector<entry> old = std::move(m_entries);
    m_entries = std::vector<entry>();
    m_count = 0;
    set_raw_capacity(new_capacity);
    for (entry& e : old) {
      if (!e.is_empty()) add(e.key, e.value);
    }
  }

  // Walks the occupied slots in slot order.
  template <class F>
  void for_each(F&& visit) const {
    for (const entry& e : m_entries) {
      if (!e.is_empty()) visit(e.key, e.value);
    }
  }

 private:
  void set_raw_capacity(int n) {
    m_entries.assign(static_cast<size_t>(n), entry{});
  }
  int find_index(const K& key) const {
    if (m_entries.empty()) return -1;
    uint32_t hash = H()(key);
    int mask = capacity() - 1;
    int index = static_cast<int>(hash & static_cast<uint32_t>(mask));
    const entry* e = &m_entries[index];
    if (e->is_empty() || static_cast<int>(e->hash & static_cast<uint32_t>(mask)) != index) return -1;
    for (;;) {
      if (e->hash == hash && Eq()(e->key, key)) return index;
      if (e->next < 0) return -1;
      index = e->next;
      e = &m_entries[index];
    }
  }

  std::vector<entry> m_entries;
  int m_count = 0;
};

}  // namespace swf
