// Feeds arbitrary bytes to the online score client's reply readers as a server's reply:
// the error test, the add_score rows and the get_total_score rows, with a row count taken
// from the first byte (0 to 7), and checks that every row read is whole.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/app/HighscoreServer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const int32_t rowCount = data[0] % 8;
  const std::string reply(reinterpret_cast<const char*>(data + 1), size - 1);

  (void)web::HighscoreServer::IsError(reply);
  (void)web::HighscoreServer::ParseInt(reply);

  std::vector<web::ScoreRow> rows(static_cast<size_t>(rowCount) + 1);
  web::HighscoreServer::ParseScore(rows.data(), rowCount, reply);
  // The row past the count is never written.
  const web::ScoreRow& guard = rows.back();
  if (!guard.name.empty() || !guard.location.empty() || guard.score != 0) std::abort();

  std::vector<web::TotalScoreRow> totals(static_cast<size_t>(rowCount) + 1);
  web::HighscoreServer::ParseTotalScore(reply, rowCount, totals.data());
  const web::TotalScoreRow& last = totals.back();
  if (!last.name.empty() || !last.location.empty() || last.score != 0 || last.position != 0) std::abort();
  for (int32_t i = 0; i < rowCount; ++i) {
    if (rows[static_cast<size_t>(i)].name.size() > reply.size()) std::abort();
  }
  return 0;
}
