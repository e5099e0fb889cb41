#include "game/shell/KivHighscoreServer.h"

#include "engine/core/ConfigFile.h"
#include "game/shell/KivVars.h"

KivHighscoreServer& KivHighscoreServer::Instance() {
  static KivHighscoreServer instance;
  return instance;
}

std::string KivHighscoreServer::GetScriptUrl() {
  std::string server = config::ConfigFile::Instance().GetString(kServerKey, kDefaultServer);
  while (!server.empty() && server.back() == '/') server.pop_back();
  return server + kScriptPath;
}

void KivHighscoreServer::SetUserID(int32_t id) { KivVars::Instance().SetUserID(id); }

int32_t KivHighscoreServer::GetUserID() { return KivVars::Instance().GetUserID(); }

int32_t KivHighscoreServer::GetHighscore() { return KivVars::Instance().GetValue(KivVars::kTotalScore); }

double KivHighscoreServer::GetPlayTime() { return KivVars::Instance().GetValue(KivVars::kPlayTime); }
