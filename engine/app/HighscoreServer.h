#pragma once

#include <cstdint>
#include <string>

namespace web {

// One row of an add_score reply.
struct ScoreRow {
  std::string name;
  std::string location;
  int32_t score = 0;
};

// One row of a get_total_score reply.
struct TotalScoreRow {
  std::string name;
  std::string location;
  int32_t score = 0;
  int32_t position = 0;
};

// The client of the online score protocol: HTTP/1.0 GET requests to the game's score
// script with the action and its parameters in the query string, answered with plain
// text whose fields are separated by "@"; a reply holding "@@Error@@" is an error.
//
//   create_user      Action, Name, Location, PID         -> the new user id
//   add_score        Action, Name, Location, UserID, LevelID, Score, Highscore, PTime
//                                                        -> name@location@score ...
//   get_total_score  Action, UserID, TimeFrame (0 all time, 1 this week, 2 today)
//                                                        -> position@name@location@score ...
//
// The game derives its server from this class: the script's URL, the stored user id and
// the values only the game knows. Every operation runs on the main thread and returns
// when its request has ended (see WebRequest::Send: frames keep running meanwhile); while
// a request runs, every further one is refused at once.
class HighscoreServer {
 public:
  virtual ~HighscoreServer() = default;
  // Logs the text as a line at MSG_ERROR: the server's reply when it holds "@@Error@@",
  // else what failed ("Score request add_score failed: " and the reason).
  virtual void OnError(const std::string& reply);
  virtual std::string GetScriptUrl() = 0;  // "http://" host "/DORuvide.rod"
  virtual void SetUserID(int32_t id) = 0;
  virtual int32_t GetUserID() = 0;         // 0 when none is stored
  virtual int32_t GetPID() = 0;            // sent with create_user
  virtual int32_t GetHighscore() = 0;      // sent with add_score
  virtual double GetPlayTime() = 0;        // sent with add_score, as a float

  // Registers the player; the new id (stored through SetUserID), or 0.
  int32_t CreateUser(const std::string& name, const std::string& location);
  // The stored id, else one made by CreateUser with the current profile's name and
  // location (0 when there is no profile store).
  int32_t ObtainUserID();
  // Submits a level's score and fills rowCount rows of the reply. True when the server
  // answered without an error.
  bool AddScore(int32_t levelId, int32_t score, ScoreRow* rows, int32_t rowCount);
  // Fetches the total-score table for a time frame into rowCount rows. True when the
  // server answered without an error.
  bool GetTotalScore(TotalScoreRow* rows, int32_t rowCount, int32_t timeFrame);

  // Clear the rows, then fill them from the reply's fields in the wire order, a row at a
  // time, until the fields run out. Fields split as strtok splits at "@" (runs of "@"
  // are one separator, so an empty field shifts the ones after it); numbers read as
  // atoi reads them.
  static void ParseScore(ScoreRow* rows, int32_t rowCount, const std::string& reply);
  static void ParseTotalScore(const std::string& reply, int32_t rowCount, TotalScoreRow* rows);
  // Leading blanks, an optional sign, digits; 0 when the text does not start so. Values
  // beyond the 32-bit range are clamped.
  static int32_t ParseInt(const std::string& text);
  static bool IsError(const std::string& reply);

 private:
  // OnError with the server's reply, or, when the request itself failed (no reply, the
  // time-out, the game quitting), with what failed: a bare "@@Error@@" says nothing.
  void ReportError(const char* action, const std::string& reply);
};

}  // namespace web
