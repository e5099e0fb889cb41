#include "engine/swf/base/ref_counted.h"

namespace swf {

ref_counted::~ref_counted() {
  if (m_weak_proxy) {
    m_weak_proxy->notify_object_died();
    m_weak_proxy->drop_ref();
  }
}

void ref_counted::drop_ref() const {
  if (--m_ref_count <= 0) delete this;
}

weak_proxy* ref_counted::get_weak_proxy() const {
  if (!m_weak_proxy) {
    m_weak_proxy = new weak_proxy;
    m_weak_proxy->add_ref();  // the object's own reference
  }
  return m_weak_proxy;
}

}  // namespace swf
