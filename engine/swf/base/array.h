#pragma once

#include <cstddef>
#include <utility>
#include <vector>

namespace swf {

// The player's growable array: on a resize to n that exceeds the capacity, or falls to
// half of it or below, the capacity becomes n + n/4; a resize to 0 frees the storage.
template <class T>
class array {
 public:
  int size() const { return static_cast<int>(m_items.size()); }
  bool empty() const { return m_items.empty(); }
  int capacity() const { return static_cast<int>(m_items.capacity()); }

  void resize(int n) {
    if (n <= 0) {
      m_items = std::vector<T>();
      return;
    }
    int cap = capacity();
    if (n > cap || n <= cap / 2) {
      std::vector<T> moved;
      moved.reserve(static_cast<size_t>(n) + static_cast<size_t>(n) / 4);
      for (int i = 0; i < n && i < size(); ++i) moved.push_back(std::move(m_items[i]));
      m_items = std::move(moved);
    }
    m_items.resize(static_cast<size_t>(n));
  }
  void push_back(const T& value) {
    T copy(value);
    resize(size() + 1);
    m_items.back() = std::move(copy);
  }
  void push_back(T&& value) {
    T moved(std::move(value));
    resize(size() + 1);
    m_items.back() = std::move(moved);
  }
  void pop_back() { resize(size() - 1); }
  void remove(int index) {
    m_items.erase(m_items.begin() + index);
    resize(size());
  }
  void clear() { resize(0); }

  T& operator[](int i) { return m_items[static_cast<size_t>(i)]; }
  const T& operator[](int i) const { return m_items[static_cast<size_t>(i)]; }
  T& back() { return m_items.back(); }
  auto begin() { return m_items.begin(); }
  auto end() { return m_items.end(); }
  auto begin() const { return m_items.begin(); }
  auto end() const { return m_items.end(); }

 private:
  std::vector<T> m_items;
};

}  // namespace swf
