#pragma once

// The failures a test scripts for the calls of a recording fake: the next `count` calls of
// a kind (every one when count is negative) fail with a given result.

#include <map>

#include "platform/d3d8/ComTypes.h"

namespace d3d8 {

template <class Call>
class CallFailures {
 public:
  // A count of 0 takes the kind's failure away.
  void Set(Call call, HRESULT result, int count) {
    if (count == 0) {
      failures_.erase(call);
    } else {
      failures_[call] = Failure{result, count};
    }
  }

  void Clear() { failures_.clear(); }

  // Whether a failure applies to this call (and uses it up); result gets its code.
  bool Take(Call call, HRESULT* result) {
    auto it = failures_.find(call);
    if (it == failures_.end()) return false;
    *result = it->second.result;
    if (it->second.remaining > 0 && --it->second.remaining == 0) failures_.erase(it);
    return true;
  }

 private:
  struct Failure {
    HRESULT result;
    int remaining;  // negative: every call
  };
  std::map<Call, Failure> failures_;
};

}  // namespace d3d8
