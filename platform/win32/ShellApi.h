#pragma once

// The shell services (shell32) the engine calls: the user's application-data folder and
// the files dropped on a window.

#include "platform/win32/UserTypes.h"

#ifndef MAX_PATH
#define MAX_PATH 260
#endif
inline constexpr int CSIDL_APPDATA = 0x001A;

// CSIDL_APPDATA only: $XDG_DATA_HOME when it is an absolute path, else $HOME/.local/share
// (the home folder from the password database when HOME is unset), without a trailing
// "/". With `create` the folder and its parents are made. `path` must hold MAX_PATH
// characters; FALSE (and an empty path) when there is no such folder, it cannot be made,
// or it does not fit.
BOOL SHGetSpecialFolderPathA(HWND owner, LPSTR path, int csidl, BOOL create);

// index 0xFFFFFFFF: the number of files. Otherwise the path of that file: with a null
// buffer its length; else as much of it as fits in `size` characters with the terminator,
// returning the characters copied. 0 for a bad handle or index.
UINT DragQueryFileA(HDROP drop, UINT index, LPSTR buffer, UINT size);
// Frees the drop handle at once. Without it the handle is freed when DispatchMessageA of
// its WM_DROPFILES returns, so a pump that never calls it leaks nothing.
void DragFinish(HDROP drop);
