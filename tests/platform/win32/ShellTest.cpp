// The application-data folder, folder creation and error texts.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/win32/KernelApi.h"
#include "platform/win32/ShellApi.h"
#include "tests/support/TestEnv.h"

namespace {

bool IsFolder(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    const char* old = getenv(name);
    hadOld_ = old != nullptr;
    if (old) old_ = old;
    if (value) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (hadOld_) {
      setenv(name_, old_.c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  bool hadOld_ = false;
  std::string old_;
};

TEST(SaveFolder, AppDataIsXdgDataHomeAndTheGameFolderIsMadeBelowIt) {
  char path[MAX_PATH];
  ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, path, CSIDL_APPDATA, TRUE));
  EXPECT_EQ(std::string(path), std::string(getenv("XDG_DATA_HOME")));

  // What the engine does with it.
  char saveFolder[MAX_PATH + 16];
  std::snprintf(saveFolder, sizeof saveFolder, "%s/Hovrik/", path);
  EXPECT_TRUE(CreateDirectoryA(saveFolder, nullptr));
  EXPECT_TRUE(IsFolder(saveFolder));
  EXPECT_FALSE(CreateDirectoryA(saveFolder, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
}

TEST(SaveFolder, FallsBackToHomeAndIgnoresARelativeXdgPath) {
  const std::string home = testenv::MakeTempDir("home");
  ScopedEnv homeVar("HOME", home.c_str());
  char path[MAX_PATH];
  for (const char* xdg : {static_cast<const char*>(nullptr), "relative/share"}) {
    ScopedEnv xdgVar("XDG_DATA_HOME", xdg);
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, path, CSIDL_APPDATA, TRUE));
    EXPECT_EQ(std::string(path), home + "/.local/share");
    EXPECT_TRUE(IsFolder(path)) << "made with its parents";
  }
}

TEST(SaveFolder, RefusesWhatDoesNotFitOrIsNotAsked) {
  const std::string longPath = testenv::ProcessDir() + "/" + std::string(300, 'x');
  ScopedEnv xdgVar("XDG_DATA_HOME", longPath.c_str());
  char path[MAX_PATH] = "unchanged";
  EXPECT_FALSE(SHGetSpecialFolderPathA(nullptr, path, CSIDL_APPDATA, TRUE));
  EXPECT_STREQ(path, "") << "the engine then uses the working folder";
  EXPECT_FALSE(SHGetSpecialFolderPathA(nullptr, path, 0x0005, FALSE));
}

TEST(Directories, MissingParentIsAMissingPath) {
  const std::string base = testenv::MakeTempDir("dirs");
  EXPECT_FALSE(CreateDirectoryA((base + "/no/such").c_str(), nullptr));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_FALSE(CreateDirectoryA(nullptr, nullptr));
}

TEST(ErrorText, FormatsKnownCodesIntoAllocatedOrGivenBuffers) {
  const std::string base = testenv::MakeTempDir("err");
  ASSERT_FALSE(CreateDirectoryA((base + "/a/b").c_str(), nullptr));
  const DWORD error = GetLastError();

  char* allocated = nullptr;
  const DWORD length =
      FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                         FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, error, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                     reinterpret_cast<LPSTR>(&allocated), 0, nullptr);
  ASSERT_GT(length, 0u);
  EXPECT_EQ(std::strlen(allocated), length);
  EXPECT_EQ(LocalFree(allocated), nullptr);

  char small[4];
  EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, error, 0, small, sizeof small, nullptr), 0u);
  EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 0x1234567u, 0, small, sizeof small, nullptr), 0u);

  // Codes from errno without a Win32 name keep the system's text.
  plat::SetLastErrorFromErrno(EPIPE);
  char text[256];
  ASSERT_GT(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, GetLastError(), 0, text, sizeof text, nullptr), 0u);
  EXPECT_STREQ(text, std::strerror(EPIPE));
}

TEST(GlobalMemory, BlocksAreZeroedLockedAndFreed) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 8);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(GlobalSize(block), 8u);
  auto* bytes = static_cast<unsigned char*>(GlobalLock(block));
  ASSERT_NE(bytes, nullptr);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(bytes[i], 0);
  EXPECT_FALSE(GlobalUnlock(block)) << "no longer locked";
  EXPECT_EQ(GlobalFree(block), nullptr);
  EXPECT_EQ(GlobalLock(block), nullptr) << "a freed handle is refused, not followed";
  EXPECT_EQ(GlobalFree(block), block);
}

}  // namespace
