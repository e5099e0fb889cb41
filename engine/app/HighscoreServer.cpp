#include "engine/app/HighscoreServer.h"

#include <cstdint>
#include <vector>

#include "engine/app/GameRMS.h"
#include "engine/app/WebRequest.h"
#include "engine/core/Log.h"

namespace web {

namespace {

// The reply's fields as strtok with "@" gives them: no empty fields.
std::vector<std::string> Fields(const std::string& reply) {
  std::vector<std::string> fields;
  size_t pos = 0;
  while (pos < reply.size()) {
    const size_t end = reply.find('@', pos);
    const size_t stop = end == std::string::npos ? reply.size() : end;
    if (stop > pos) fields.push_back(reply.substr(pos, stop - pos));
    pos = stop + 1;
  }
  return fields;
}

// Hands out the fields in order; an exhausted reader leaves a field as it is.
class FieldReader {
 public:
  explicit FieldReader(const std::string& reply) : fields_(Fields(reply)) {}
  bool Empty() const { return next_ >= fields_.size(); }
  void Text(std::string& field) {
    if (!Empty()) field = fields_[next_++];
  }
  void Number(int32_t& field) {
    if (!Empty()) field = HighscoreServer::ParseInt(fields_[next_++]);
  }

 private:
  std::vector<std::string> fields_;
  size_t next_ = 0;
};

}  // namespace

void HighscoreServer::OnError(const std::string& reply) { LOG_LINE(MSG_ERROR) << reply; }

void HighscoreServer::ReportError(const char* action, const std::string& reply) {
  const std::string& failure = WebRequest::Instance().GetFailure();
  OnError(failure.empty() ? reply : std::string("Score request ") + action + " failed: " + failure);
}

bool HighscoreServer::IsError(const std::string& reply) {
  return reply.find(WebRequest::kErrorMarker) != std::string::npos;
}

int32_t HighscoreServer::ParseInt(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > int64_t(INT32_MAX) + 1) value = int64_t(INT32_MAX) + 1;
  }
  if (negative) value = -value;
  if (value > INT32_MAX) value = INT32_MAX;
  return static_cast<int32_t>(value);
}

void HighscoreServer::ParseScore(ScoreRow* rows, int32_t rowCount, const std::string& reply) {
  if (!rows) return;
  for (int32_t i = 0; i < rowCount; ++i) rows[i] = ScoreRow{};
  FieldReader fields(reply);
  for (int32_t i = 0; i < rowCount && !fields.Empty(); ++i) {
    fields.Text(rows[i].name);
    fields.Text(rows[i].location);
    fields.Number(rows[i].score);
  }
}

void HighscoreServer::ParseTotalScore(const std::string& reply, int32_t rowCount, TotalScoreRow* rows) {
  if (!rows) return;
  for (int32_t i = 0; i < rowCount; ++i) rows[i] = TotalScoreRow{};
  FieldReader fields(reply);
  for (int32_t i = 0; i < rowCount && !fields.Empty(); ++i) {
    fields.Number(rows[i].position);
    fields.Text(rows[i].name);
    fields.Text(rows[i].location);
    fields.Number(rows[i].score);
  }
}

int32_t HighscoreServer::CreateUser(const std::string& name, const std::string& location) {
  WebRequest& request = WebRequest::Instance();
  if (request.IsRunning()) return 0;
  request.ClearParams();
  request.SetUrl(GetScriptUrl());
  request.AddParam("Action", std::string("create_user"));
  request.AddParam("Name", name);
  request.AddParam("Location", location);
  request.AddParam("PID", GetPID());
  const std::string reply = request.Send();
  if (IsError(reply)) {
    ReportError("create_user", reply);
    return 0;
  }
  const int32_t id = ParseInt(reply);
  if (id != 0) SetUserID(id);
  return id;
}

int32_t HighscoreServer::ObtainUserID() {
  const int32_t id = GetUserID();
  if (id != 0) return id;
  const GameRMS* rms = GetRMS();
  if (!rms) return 0;
  return CreateUser(rms->GetName(), rms->GetLocation());
}

bool HighscoreServer::AddScore(int32_t levelId, int32_t score, ScoreRow* rows, int32_t rowCount) {
  WebRequest& request = WebRequest::Instance();
  if (request.IsRunning()) return false;
  const int32_t id = ObtainUserID();
  if (id == 0) return false;
  const GameRMS* rms = GetRMS();
  if (!rms) return false;
  request.ClearParams();
  request.SetUrl(GetScriptUrl());
  request.AddParam("Action", std::string("add_score"));
  request.AddParam("Name", rms->GetName());
  request.AddParam("Location", rms->GetLocation());
  request.AddParam("UserID", id);
  request.AddParam("LevelID", levelId);
  request.AddParam("Score", score);
  request.AddParam("Highscore", GetHighscore());
  request.AddParam("PTime", static_cast<float>(GetPlayTime()));
  const std::string reply = request.Send();
  if (IsError(reply)) {
    ReportError("add_score", reply);
    return false;
  }
  ParseScore(rows, rowCount, reply);
  return true;
}

bool HighscoreServer::GetTotalScore(TotalScoreRow* rows, int32_t rowCount, int32_t timeFrame) {
  WebRequest& request = WebRequest::Instance();
  if (request.IsRunning()) return false;
  const int32_t id = ObtainUserID();
  if (id == 0) return false;
  request.ClearParams();
  request.SetUrl(GetScriptUrl());
  request.AddParam("Action", std::string("get_total_score"));
  request.AddParam("UserID", id);
  request.AddParam("TimeFrame", timeFrame);
  const std::string reply = request.Send();
  if (IsError(reply)) {
    ReportError("get_total_score", reply);
    return false;
  }
  ParseTotalScore(reply, rowCount, rows);
  return true;
}

}  // namespace web
