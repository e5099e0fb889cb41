#pragma once

// The common file dialogs (comdlg32) as the editors call them: GetOpenFileNameA and
// GetSaveFileNameA over an open-file-name record.
//
// On this platform the dialog is the desktop's own file chooser (zenity, else kdialog),
// started as a separate program with an argument vector and read back through a pipe. The
// call waits for the chooser to close, as the modal dialog does. Without a display (the
// video driver is "offscreen" or "dummy") or without a chooser program, the dialog reports
// a cancel at once, so a headless run never waits on a window nobody sees.

#include <functional>
#include <string>
#include <vector>

#include "platform/win32/UserTypes.h"

// Flags of the record.
inline constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
inline constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
inline constexpr DWORD OFN_NOCHANGEDIR = 0x00000008;
inline constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
inline constexpr DWORD OFN_EXPLORER = 0x00080000;

// The open-file-name record, with the fields the dialogs read and write.
struct OPENFILENAMEA {
  DWORD lStructSize = sizeof(OPENFILENAMEA);
  HWND hwndOwner = nullptr;
  // Pairs of a description and its patterns ("All Files (*.*)\0*.*\0"), ending with an
  // empty description; patterns are separated by ";".
  LPCSTR lpstrFilter = nullptr;
  DWORD nFilterIndex = 0;
  LPSTR lpstrFile = nullptr;  // in: the initial name; out: the chosen path
  DWORD nMaxFile = 0;         // characters of lpstrFile, its terminator included
  LPSTR lpstrFileTitle = nullptr;  // out: the chosen file's name without its folder
  DWORD nMaxFileTitle = 0;
  LPCSTR lpstrInitialDir = nullptr;
  LPCSTR lpstrTitle = nullptr;
  DWORD Flags = 0;
  // Appended (after a ".") to a name chosen in the save dialog without an extension.
  LPCSTR lpstrDefExt = nullptr;
};

// TRUE with the chosen path in lpstrFile; FALSE when the dialog was cancelled, no dialog
// could be shown, or the path does not fit lpstrFile.
BOOL GetOpenFileNameA(OPENFILENAMEA* record);
BOOL GetSaveFileNameA(OPENFILENAMEA* record);

namespace plat {

enum class FileChooser { kZenity, kKDialog };

// The argument vector that runs the chooser at program for the record: the title, the
// starting folder (lpstrInitialDir, "\" read as "/"), the filter ("*.*" meaning every
// file) and, for the save dialog, the overwrite prompt when the flags ask for it.
std::vector<std::string> BuildFileChooserArgs(FileChooser chooser, const std::string& program,
                                              const OPENFILENAMEA& record, bool save);

// What a chooser program gave back.
struct ChooserResult {
  bool started = false;  // the program could be started
  int exitStatus = -1;   // its exit status (0: a file was chosen), -1 when it did not exit
  std::string output;    // its standard output, without the final line feed
};

// Runs argv[0] (a full path) with the arguments through posix_spawn, never through a
// shell, and waits for it; standard error is discarded.
ChooserResult RunFileChooser(const std::vector<std::string>& argv);

// While one exists, the two dialogs hand the record to it instead of showing a chooser
// (also headless). The reply gives the chosen path, or the empty text for a cancel; the
// dialog then fills the record as the real one does. The newest one wins; destroying it
// restores the one before.
class FakeFileDialog {
 public:
  using Reply = std::function<std::string(const OPENFILENAMEA& record, bool save)>;

  explicit FakeFileDialog(Reply reply);
  ~FakeFileDialog();
  FakeFileDialog(const FakeFileDialog&) = delete;
  FakeFileDialog& operator=(const FakeFileDialog&) = delete;

  std::string Show(const OPENFILENAMEA& record, bool save) const { return reply_(record, save); }

 private:
  Reply reply_;
  FakeFileDialog* previous_;
};

}  // namespace plat
