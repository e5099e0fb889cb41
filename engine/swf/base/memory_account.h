#pragma once

#include <cstddef>
#include <cstdint>

// Accounts of the bytes that movies' scripts hold. Each movie root opens one; the texts,
// objects and member tables its scripts make are charged to the account that is current
// while they are made (the movie root whose frame is running) and released from that same
// account when they are freed, wherever they have gone meanwhile. An account is named by a
// small number, so a text carries its account in the spare bytes of its heap form and no
// value grows for it.
namespace swf {

// 0 names no account: what is made while none is current is not counted.
using memory_account_id = uint32_t;

// Opens an account that refuses to hold more than bound bytes.
memory_account_id open_memory_account(size_t bound);
// The owner is gone. The account lives on until what was charged to it is freed; then
// its number may name a new account.
void close_memory_account(memory_account_id id);

// Bytes charged to the account and not yet released (0 for no account or a closed one
// that holds nothing).
size_t get_memory_account_bytes(memory_account_id id);
// Bytes charged to every account together.
size_t get_held_script_bytes();

// False when no account of that number is in use (nothing is charged then).
bool charge_memory_account(memory_account_id id, size_t bytes);
void release_memory_account(memory_account_id id, size_t bytes);

// The account that what is made now is charged to.
memory_account_id get_current_memory_account();
// True unless the current account would pass its bound by taking bytes more (held
// exactly at the bound is still within it).
bool current_memory_account_may_hold(size_t bytes);

// Makes an account current while it lives (0: nothing is counted meanwhile), and the one
// before it current again afterwards.
class memory_account_scope {
 public:
  explicit memory_account_scope(memory_account_id id);
  ~memory_account_scope();
  memory_account_scope(const memory_account_scope&) = delete;
  memory_account_scope& operator=(const memory_account_scope&) = delete;

 private:
  memory_account_id m_previous;
};

// A block of bytes charged as one (an object with its member table): each change of its
// size releases the old size and charges the new one to the current account (to none
// while none is current); it releases everything when destroyed.
class memory_charge {
 public:
  memory_charge() = default;
  ~memory_charge() { set(0); }
  memory_charge(const memory_charge&) = delete;
  memory_charge& operator=(const memory_charge&) = delete;

  void set(size_t bytes);
  size_t get_bytes() const { return m_bytes; }

 private:
  memory_account_id m_account = 0;
  size_t m_bytes = 0;
};

}  // namespace swf
