#pragma once

// Checks on a record of texts kept in the order they happened (calls, log lines).

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace recordtest {

// Index of the first entry at or after `from` that contains `text`; npos when none.
inline size_t FindFrom(const std::vector<std::string>& record, const std::string& text, size_t from = 0) {
  for (size_t i = from; i < record.size(); ++i) {
    if (record[i].find(text) != std::string::npos) return i;
  }
  return std::string::npos;
}

// Every expected text appears in the record in this order (each in a later entry than
// the one before). Reports the first that is missing or out of order.
inline void ExpectInOrder(const std::vector<std::string>& record, const std::vector<std::string>& expected) {
  size_t at = 0;
  for (const std::string& text : expected) {
    const size_t found = FindFrom(record, text, at);
    if (found == std::string::npos) {
      const size_t anywhere = FindFrom(record, text, 0);
      std::string context;
      for (size_t i = (at > 3 ? at - 3 : 0); i < record.size() && i < at + 3; ++i) context += "\n  " + record[i];
      ADD_FAILURE() << "\"" << text << "\" "
                    << (anywhere == std::string::npos ? "never happened" : "happened too early")
                    << "; the record around where it was due:" << context;
      return;
    }
    at = found + 1;
  }
}

}  // namespace recordtest
