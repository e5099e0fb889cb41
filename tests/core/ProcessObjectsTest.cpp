#include "engine/core/ProcessObjects.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "engine/core/Log.h"
#include "tests/support/TestEnv.h"

namespace {

TEST(ProcessObjectsTest, StartUpValues) {
  EXPECT_EQ(process::g_cosTable[0], 1.0f);
  EXPECT_EQ(process::g_sinTable[0], 0.0f);
  EXPECT_EQ(process::g_cosTable[8], -1.0f);
  EXPECT_NEAR(process::g_sinTable[4], 1.0f, 1e-6f);
  EXPECT_NEAR(process::g_cosTable[4], 0.0f, 1e-5f);
  // pi taken as 3.14159: a full turn falls just short of 2 pi.
  EXPECT_LT(process::g_sinTable[16], 0.0f);
  EXPECT_NEAR(process::g_sinTable[16], -0.0000051f, 0.0000002f);

  EXPECT_EQ(process::g_localeName, "");
  EXPECT_FLOAT_EQ(process::kHelpCellSize.x, 15.0f / 800.0f);
  EXPECT_NEAR(process::kHelpCellSize.y, 20.0f / 600.0f, 1e-6f);
  EXPECT_FALSE(process::g_deleteMemoryLog);  // the start-up removal already ran
}

TEST(ProcessObjectsTest, StaleMemoryLogIsRemovedOnce) {
  // The test main made the process folder the working folder.
  ASSERT_TRUE(testenv::WriteFile("memory.log", "left from an earlier run"));
  process::RemoveOldMemoryLog();  // switch already off: nothing happens
  EXPECT_TRUE(testenv::FileExists("memory.log"));

  process::g_deleteMemoryLog = true;
  process::RemoveOldMemoryLog();
  EXPECT_FALSE(testenv::FileExists("memory.log"));
  EXPECT_FALSE(process::g_deleteMemoryLog);

  process::g_deleteMemoryLog = true;
  process::RemoveOldMemoryLog();  // a missing file is no error
  EXPECT_FALSE(process::g_deleteMemoryLog);
}

// A service that logs from its exit routine, as the configuration file does when it
// saves at exit.
struct ExitLoggingService {
  static ExitLoggingService& Instance() {
    static ExitLoggingService instance;
    return instance;
  }
  ~ExitLoggingService() { LOG_LINE(MSG_INIT) << "service saved at exit"; }
};

TEST(ProcessObjectsTest, ServicesUsedAfterTheLogStillLogAtExit) {
  std::string path = testenv::MakeTempDir("exit") + "/kv.log";
  EXPECT_EXIT(
      {
        Log::Instance().Close();
        Log::Instance().Open(path.c_str());
        ExitLoggingService::Instance();
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "");
  std::string text = testenv::ReadFile(path);
  EXPECT_NE(text.find("service saved at exit  [MSG_INIT]\n"), std::string::npos) << text;
}

}  // namespace
