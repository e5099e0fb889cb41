#include "engine/swf/base/memory_account.h"

#include <vector>

namespace swf {

namespace {

struct account {
  size_t held = 0;
  size_t bound = 0;
  bool open = false;   // its movie root lives
  bool in_use = false;  // open, or closed while it still holds bytes
};

// Never destroyed: texts freed while the process exits still release their bytes here.
std::vector<account>& accounts() {
  static auto* list = new std::vector<account>;
  return *list;
}

memory_account_id g_current = 0;
size_t g_held_total = 0;

account* find(memory_account_id id) {
  std::vector<account>& list = accounts();
  if (id == 0 || id > list.size()) return nullptr;
  account& a = list[id - 1];
  return a.in_use ? &a : nullptr;
}

// A closed account that holds nothing more gives its number back.
void retire_if_done(account& a) {
  if (!a.open && a.held == 0) a.in_use = false;
}

}  // namespace

memory_account_id open_memory_account(size_t bound) {
  std::vector<account>& list = accounts();
  size_t index = 0;
  while (index < list.size() && list[index].in_use) ++index;
  if (index == list.size()) list.emplace_back();
  list[index] = account{0, bound, true, true};
  return static_cast<memory_account_id>(index + 1);
}

void close_memory_account(memory_account_id id) {
  if (account* a = find(id)) {
    a->open = false;
    retire_if_done(*a);
  }
}

size_t get_memory_account_bytes(memory_account_id id) {
  const account* a = find(id);
  return a ? a->held : 0;
}

size_t get_held_script_bytes() { return g_held_total; }

bool charge_memory_account(memory_account_id id, size_t bytes) {
  account* a = find(id);
  if (!a) return false;
  a->held += bytes;
  g_held_total += bytes;
  return true;
}

void release_memory_account(memory_account_id id, size_t bytes) {
  if (account* a = find(id)) {
    // Every release matches a charge; the guard keeps a count from wrapping if one did not.
    if (bytes > a->held) bytes = a->held;
    a->held -= bytes;
    g_held_total -= bytes;
    retire_if_done(*a);
  }
}

memory_account_id get_current_memory_account() { return g_current; }

bool current_memory_account_may_hold(size_t bytes) {
  const account* a = find(g_current);
  return !a || (a->held <= a->bound && bytes <= a->bound - a->held);
}

memory_account_scope::memory_account_scope(memory_account_id id) : m_previous(g_current) { g_current = id; }
memory_account_scope::~memory_account_scope() { g_current = m_previous; }

void memory_charge::set(size_t bytes) {
  if (bytes == m_bytes) return;
  memory_account_id target = g_current;
  if (bytes == 0 || !charge_memory_account(target, bytes)) target = 0;
  release_memory_account(m_account, m_bytes);
  m_account = target;
  m_bytes = bytes;
}

}  // namespace swf
