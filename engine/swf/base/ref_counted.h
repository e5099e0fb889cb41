#pragma once

#include <utility>

namespace swf {

class weak_proxy;

// Base of every shared player object: an intrusive reference count that deletes the
// object when the last reference is dropped, and an optional weak proxy that outlives it
// and tells weak references whether the object is still there.
class ref_counted {
 public:
  ref_counted() = default;
  virtual ~ref_counted();
  ref_counted(const ref_counted&) = delete;
  ref_counted& operator=(const ref_counted&) = delete;

  void add_ref() const { ++m_ref_count; }
  void drop_ref() const;
  int get_ref_count() const { return m_ref_count; }
  weak_proxy* get_weak_proxy() const;

 private:
  mutable int m_ref_count = 0;
  mutable weak_proxy* m_weak_proxy = nullptr;
};

class weak_proxy {
 public:
  void add_ref() { ++m_ref_count; }
  void drop_ref() {
    if (--m_ref_count <= 0) delete this;
  }
  bool is_alive() const { return m_alive; }
  void notify_object_died() { m_alive = false; }

 private:
  int m_ref_count = 0;
  bool m_alive = true;
};

// A counted reference: holds one reference to its object.
template <class T>
class smart_ptr {
 public:
  smart_ptr() = default;
  smart_ptr(T* object) : m_ptr(object) {  // NOLINT: converts like a plain pointer
    if (m_ptr) m_ptr->add_ref();
  }
  smart_ptr(const smart_ptr& other) : smart_ptr(other.m_ptr) {}
  smart_ptr(smart_ptr&& other) noexcept : m_ptr(std::exchange(other.m_ptr, nullptr)) {}
  template <class U>
  smart_ptr(const smart_ptr<U>& other) : smart_ptr(other.get_ptr()) {}
  ~smart_ptr() {
    if (m_ptr) m_ptr->drop_ref();
  }
  smart_ptr& operator=(const smart_ptr& other) {
    set_ref(other.m_ptr);
    return *this;
  }
  smart_ptr& operator=(smart_ptr&& other) noexcept {
    if (this != &other) {
      T* old = m_ptr;
      m_ptr = std::exchange(other.m_ptr, nullptr);
      if (old) old->drop_ref();
    }
    return *this;
  }
  smart_ptr& operator=(T* object) {
    set_ref(object);
    return *this;
  }
  T* operator->() const { return m_ptr; }
  T& operator*() const { return *m_ptr; }
  T* get_ptr() const { return m_ptr; }
  explicit operator bool() const { return m_ptr != nullptr; }
  bool operator==(const smart_ptr& other) const { return m_ptr == other.m_ptr; }
  bool operator==(const T* other) const { return m_ptr == other; }

 private:
  void set_ref(T* object) {
    if (object == m_ptr) return;
    if (object) object->add_ref();
    T* old = m_ptr;
    m_ptr = object;
    if (old) old->drop_ref();
  }
  T* m_ptr = nullptr;
};

// A reference that does not keep its object alive; it reads null once the object is gone.
template <class T>
class weak_ptr {
 public:
  weak_ptr() = default;
  weak_ptr(T* object) { operator=(object); }  // NOLINT
  weak_ptr(const weak_ptr& other) : m_ptr(other.m_ptr), m_proxy(other.m_proxy) {
    if (m_proxy) m_proxy->add_ref();
  }
  ~weak_ptr() { release(); }
  weak_ptr& operator=(const weak_ptr& other) {
    if (this != &other) {
      if (other.m_proxy) other.m_proxy->add_ref();
      release();
      m_ptr = other.m_ptr;
      m_proxy = other.m_proxy;
    }
    return *this;
  }
  weak_ptr& operator=(T* object) {
    release();
    m_ptr = object;
    if (object) {
      m_proxy = object->get_weak_proxy();
      m_proxy->add_ref();
    }
    return *this;
  }
  T* get_ptr() const { return (m_proxy && m_proxy->is_alive()) ? m_ptr : nullptr; }
  T* operator->() const { return get_ptr(); }
  explicit operator bool() const { return get_ptr() != nullptr; }

 private:
  void release() {
    if (m_proxy) m_proxy->drop_ref();
    m_proxy = nullptr;
    m_ptr = nullptr;
  }
  T* m_ptr = nullptr;
  weak_proxy* m_proxy = nullptr;
};

}  // namespace swf
