// The common file dialogs over the desktop's file chooser program.

#include "platform/win32/FileDialog.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "engine/core/Log.h"
#include "platform/win32/SdlVideo.h"

extern char** environ;

namespace plat {

namespace {

FakeFileDialog* g_fakeDialog = nullptr;

struct FilterEntry {
  std::string description;
  std::vector<std::string> patterns;
};

// The parts of text between separators (empty ones included).
std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(separator, start);
    if (end == std::string::npos) end = text.size();
    parts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

// The description and pattern pairs of a filter text (pairs of NUL-terminated texts,
// ending with an empty one).
std::vector<FilterEntry> ParseFilter(LPCSTR filter) {
  std::vector<FilterEntry> entries;
  if (!filter) return entries;
  const char* at = filter;
  while (*at) {
    FilterEntry entry;
    entry.description = at;
    at += entry.description.size() + 1;
    const std::string patterns = at;
    at += patterns.size() + 1;
    for (std::string& pattern : Split(patterns, ';')) {
      // "*.*" is every file on the dialog's home system; here it would only match names
      // with a dot.
      if (pattern == "*.*") pattern = "*";
      if (!pattern.empty()) entry.patterns.push_back(pattern);
    }
    if (entry.patterns.empty()) entry.patterns.push_back("*");
    entries.push_back(std::move(entry));
    if (patterns.empty()) break;  // a description without patterns ends the list
  }
  return entries;
}

std::string Join(const std::vector<std::string>& parts, const char* separator) {
  std::string joined;
  for (const std::string& part : parts) {
    if (!joined.empty()) joined += separator;
    joined += part;
  }
  return joined;
}

// The folder the chooser starts in, with a trailing "/" so that it is taken as a folder.
std::string StartFolder(const OPENFILENAMEA& record) {
  std::string folder = record.lpstrInitialDir ? record.lpstrInitialDir : "";
  for (char& c : folder) {
    if (c == '\\') c = '/';
  }
  if (folder.empty()) folder = ".";
  if (folder.back() != '/') folder += '/';
  if (record.lpstrFile) folder += record.lpstrFile;  // an initial name, when given
  return folder;
}

// The full path of a program found on PATH, or "" when there is none.
std::string FindProgram(const char* name) {
  const char* path = std::getenv("PATH");
  for (const std::string& folder : Split(path && *path ? path : "/usr/bin:/bin", ':')) {
    if (folder.empty()) continue;
    const std::string candidate = folder + "/" + name;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return "";
}

// The chooser's path, or "" when the desktop has none.
std::string ChosenByChooser(const OPENFILENAMEA& record, bool save) {
  FileChooser kind = FileChooser::kZenity;
  std::string program = FindProgram("zenity");
  if (program.empty()) {
    kind = FileChooser::kKDialog;
    program = FindProgram("kdialog");
  }
  if (program.empty()) {
    LOG_LINE(MSG_WARNING) << "No file chooser (zenity or kdialog) found; the file dialog is cancelled";
    return "";
  }
  const ChooserResult result = RunFileChooser(BuildFileChooserArgs(kind, program, record, save));
  if (!result.started) {
    LOG_LINE(MSG_WARNING) << "Unable to start the file chooser " << program;
    return "";
  }
  // A non-zero status is a cancel (or a chooser that failed, which is the same to the caller).
  if (result.exitStatus != 0) return "";
  return result.output;
}

void CopyText(const std::string& text, LPSTR buffer, DWORD size) {
  if (!buffer || size == 0) return;
  const size_t count = std::min<size_t>(text.size(), size - 1);
  std::memcpy(buffer, text.data(), count);
  buffer[count] = '\0';
}

BOOL ShowFileDialog(OPENFILENAMEA* record, bool save) {
  if (!record || !record->lpstrFile || record->nMaxFile == 0) return FALSE;
  std::string chosen;
  if (g_fakeDialog) {
    chosen = g_fakeDialog->Show(*record, save);
  } else if (!IsHeadless()) {
    chosen = ChosenByChooser(*record, save);
  }
  if (chosen.empty()) return FALSE;

  const size_t slash = chosen.find_last_of('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const std::string defaultExtension = record->lpstrDefExt ? record->lpstrDefExt : "";
  if (save && !defaultExtension.empty() && chosen.find('.', nameStart) == std::string::npos) {
    chosen += "." + defaultExtension;
  }
  if (chosen.size() + 1 > record->nMaxFile) {
    LOG_LINE(MSG_WARNING) << "The chosen path is longer than " << record->nMaxFile - 1
                          << " characters: " << chosen;
    return FALSE;
  }
  CopyText(chosen, record->lpstrFile, record->nMaxFile);
  CopyText(chosen.substr(nameStart), record->lpstrFileTitle, record->nMaxFileTitle);
  return TRUE;
}

}  // namespace

std::vector<std::string> BuildFileChooserArgs(FileChooser chooser, const std::string& program,
                                              const OPENFILENAMEA& record, bool save) {
  const std::string title = record.lpstrTitle ? record.lpstrTitle : "";
  const std::vector<FilterEntry> filters = ParseFilter(record.lpstrFilter);
  std::vector<std::string> args{program};
  if (chooser == FileChooser::kZenity) {
    args.push_back("--file-selection");
    if (save) {
      args.push_back("--save");
      if (record.Flags & OFN_OVERWRITEPROMPT) args.push_back("--confirm-overwrite");
    }
    args.push_back("--title=" + title);
    args.push_back("--filename=" + StartFolder(record));
    for (const FilterEntry& filter : filters) {
      args.push_back("--file-filter=" + filter.description + " | " + Join(filter.patterns, " "));
    }
  } else {
    // kdialog asks before overwriting on its own.
    args.push_back(save ? "--getsavefilename" : "--getopenfilename");
    args.push_back(StartFolder(record));
    std::vector<std::string> lines;
    for (const FilterEntry& filter : filters) {
      lines.push_back(Join(filter.patterns, " ") + "|" + filter.description);
    }
    args.push_back(Join(lines, "\n"));
    args.push_back("--title");
    args.push_back(title);
  }
  return args;
}

ChooserResult RunFileChooser(const std::vector<std::string>& argv) {
  ChooserResult result;
  if (argv.empty()) return result;
  int pipeEnds[2];
  if (pipe2(pipeEnds, O_CLOEXEC) != 0) return result;

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  // The chooser's standard output becomes the pipe (dup2 clears close-on-exec on it);
  // its warnings go nowhere.
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);

  pid_t child = 0;
  const int spawned = posix_spawn(&child, argv[0].c_str(), &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeEnds[1]);
  if (spawned != 0) {
    close(pipeEnds[0]);
    return result;
  }
  result.started = true;

  char buffer[512];
  for (;;) {
    const ssize_t count = read(pipeEnds[0], buffer, sizeof buffer);
    if (count > 0) {
      result.output.append(buffer, static_cast<size_t>(count));
    } else if (count == 0 || errno != EINTR) {
      break;
    }
  }
  close(pipeEnds[0]);

  int status = 0;
  pid_t waited = 0;
  do {
    waited = waitpid(child, &status, 0);
  } while (waited < 0 && errno == EINTR);
  if (waited == child && WIFEXITED(status)) result.exitStatus = WEXITSTATUS(status);

  if (!result.output.empty() && result.output.back() == '\n') result.output.pop_back();
  return result;
}

FakeFileDialog::FakeFileDialog(Reply reply) : reply_(std::move(reply)), previous_(g_fakeDialog) {
  g_fakeDialog = this;
}

FakeFileDialog::~FakeFileDialog() { g_fakeDialog = previous_; }

}  // namespace plat

BOOL GetOpenFileNameA(OPENFILENAMEA* record) { return plat::ShowFileDialog(record, false); }

BOOL GetSaveFileNameA(OPENFILENAMEA* record) { return plat::ShowFileDialog(record, true); }
