// The one main of every test program: sets up the headless environment before any test
// runs, gives the process a temporary folder of its own and removes it at the end.

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace testenv {
void SetProcessDir(const std::string& dir);
}

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PELLAVO_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(PELLAVO_ADDRESS_SANITIZER)
// SDL and EGL unload Mesa's driver at exit, which LeakSanitizer then reports as leaks in
// an unknown module; keeping the modules loaded makes the reports point at real code.
// (Loading them costs a few tenths of a second, so only sanitizer builds do it.)
__attribute__((constructor)) static void PinGraphicsDrivers() {
  for (const char* lib : {"libEGL_mesa.so.0", "libGLX_mesa.so.0",
                          "/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so"}) {
    dlopen(lib, RTLD_NOW | RTLD_GLOBAL | RTLD_NODELETE);
  }
}
#endif

int main(int argc, char** argv) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
  setenv("TZ", "UTC", 0);
  tzset();

  std::string base = std::filesystem::temp_directory_path().string() + "/pellavo-test-XXXXXX";
  std::string dir = mkdtemp(base.data()) ? base : std::string(".");
  std::filesystem::create_directories(dir + "/xdg");
  setenv("XDG_DATA_HOME", (dir + "/xdg").c_str(), 1);
  if (chdir(dir.c_str()) != 0) return 2;
  testenv::SetProcessDir(dir);

  testing::InitGoogleTest(&argc, argv);
  int result = RUN_ALL_TESTS();

  if (!getenv("PELLAVO_KEEP_TEST_DIR")) {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
  return result;
}
