#pragma once

#include <cstdint>
#include <string>

#include "engine/app/HighscoreServer.h"

// The game's online score client: the score script lives at kScriptPath on the server
// that the settings file kv.lua names under kServerKey (scheme and host, and a port when
// needed); the first run writes the default there for the player to change. The user id
// is the game variables' own (kept in memory only); the values sent come from the
// current profile. One process-wide instance serves the end-of-level summary and the
// highscore screen.
class KivHighscoreServer : public web::HighscoreServer {
 public:
  static constexpr const char* kServerKey = "ScoreServer";
  static constexpr const char* kDefaultServer = "http://127.0.0.1";
  static constexpr const char* kScriptPath = "/DORuvide.rod";

  static KivHighscoreServer& Instance();

  // The server of kv.lua (trailing "/" dropped) followed by kScriptPath.
  std::string GetScriptUrl() override;
  void SetUserID(int32_t id) override;
  int32_t GetUserID() override;
  int32_t GetPID() override { return 0; }
  int32_t GetHighscore() override;  // game value 7, the total score
  double GetPlayTime() override;    // game value 12, the play time in seconds
};
