// langtool: makes a language file from a Lua source that defines the table
//   Strings = { TITLE = "Pellavo", START = "Start game", ... }
// Keys are written in byte order, so the same source always gives the same file.

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "engine/core/Log.h"
#include "engine/core/Script.h"
#include "engine/core/StrMan.h"
#include "platform/luaplus/LuaTableIterator.h"

namespace {
void PrintLogLine(const char* text) { std::fputs(text, stderr); }
}  // namespace

int main(int argc, char** argv) {
  Log::Instance().callback = PrintLogLine;
  if (argc != 3) {
    std::fputs("usage: langtool SOURCE.lua OUTPUT\n", stderr);
    return 2;
  }
  LuaState* state = script::CreateLuaState();
  if (!script::LoadScript(state, argv[1])) {
    LuaState::Destroy(state);
    return 1;
  }
  std::map<std::string, std::string> texts;
  bool ok = true;
  LuaObject strings = script::GetGlobal(state, "Strings");
  if (!strings.IsTable()) {
    std::fprintf(stderr, "langtool: %s defines no table Strings\n", argv[1]);
    ok = false;
  }
  for (LuaTableIterator it(strings); ok && it.IsValid(); it.Next()) {
    if (!it.GetKey().IsString() || !it.GetValue().IsString()) {
      std::fprintf(stderr, "langtool: every key and text of Strings must be a string\n");
      ok = false;
      break;
    }
    texts[it.GetKey().ToStdString()] = it.GetValue().ToStdString();
  }
  LuaState::Destroy(state);
  if (!ok) return 1;

  std::vector<lang::LangRecord> records;
  for (const auto& [key, text] : texts) records.emplace_back(ToWide(key), ToWide(text));
  if (!lang::WriteLangBin(argv[2], records)) {
    std::fprintf(stderr, "langtool: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
