// arctool: packs folders into a data archive, lists an archive, extracts one entry.

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "engine/core/Log.h"
#include "tools/arctool/ArcTool.h"

namespace {

void PrintLogLine(const char* text) { std::fputs(text, stderr); }

int Usage() {
  std::fputs(
      "usage: arctool pack FOLDER... ARCHIVE   pack every file of the FOLDERs under its lookup key\n"
      "       arctool list ARCHIVE             list the entries\n"
      "       arctool extract ARCHIVE NAME [OUT]  write one entry to OUT (or standard output)\n",
      stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  // The archive code reports damaged files through the log; show its lines.
  Log::Instance().callback = PrintLogLine;
  if (argc < 3) return Usage();
  std::string command = argv[1];
  std::string error;
  bool ok = false;
  if (command == "pack" && argc >= 4) {
    std::vector<std::string> folders(argv + 2, argv + argc - 1);
    ok = arctool::PackFolders(folders, argv[argc - 1], error);
  } else if (command == "list" && argc == 3) {
    ok = arctool::ListArchive(argv[2], std::cout, error);
  } else if (command == "extract" && (argc == 4 || argc == 5)) {
    if (argc == 5) {
      std::ofstream out(argv[4], std::ios::binary);
      ok = arctool::ExtractEntry(argv[2], argv[3], out, error);
      out.close();
      if (ok && !out) {
        error = std::string("cannot write ") + argv[4];
        ok = false;
      }
    } else {
      ok = arctool::ExtractEntry(argv[2], argv[3], std::cout, error);
    }
  } else {
    return Usage();
  }
  if (!ok) {
    std::fprintf(stderr, "arctool: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
