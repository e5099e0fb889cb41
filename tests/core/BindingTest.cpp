// The Lua classes of the file system, file lists and settings, used as scripts use them.

#include <gtest/gtest.h>

#include <string>

#include "engine/core/Archive.h"
#include "engine/core/ConfigFile.h"
#include "engine/core/FileList.h"
#include "engine/core/Script.h"
#include "tests/core/LogCapture.h"
#include "tests/support/TestEnv.h"

namespace {

class BindingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    state_ = script::CreateLuaState();
    ASSERT_TRUE(vfs::RegisterArchive(state_));
    ASSERT_TRUE(script::RegisterFileList(state_));
    ASSERT_TRUE(config::RegisterConfigFile(state_));
    dir_ = testenv::MakeTempDir("bind");
    state_->GetGlobals().SetString("Dir", dir_);
  }
  void TearDown() override { LuaState::Destroy(state_); }

  // Runs a chunk; its failure message comes with the test's failure.
  void Run(const std::string& chunk) {
    LogCapture log;
    ASSERT_EQ(state_->DoString(chunk.c_str()), 0) << log.All();
  }

  LuaState* state_ = nullptr;
  std::string dir_;
};

TEST_F(BindingTest, ScriptsPackAndReadArchives) {
  testenv::WriteFile(dir_ + "/scripts/tool.lua", "return 1");
  ASSERT_EQ(chdir(dir_.c_str()), 0);
  Run("local a = CreateArchive()\n"
      "assert(a:AddFile('scripts/tool.lua'))\n"
      "assert(not a:AddFile('scripts/tool.lua'))\n"
      "assert(a:FileExists('SCRIPTS/TOOL.LUA'))\n"
      "assert(a:SaveArchive(Dir .. '/tool.arc'))\n"
      "local b = CreateArchive()\n"
      "assert(b:LoadArchive(Dir .. '/tool.arc'))\n"
      "assert(b:FileExists('scripts/tool.lua'))\n"
      "assert(not CreateArchive():LoadArchive(Dir .. '/none.arc'))\n"
      "a = nil b = nil collectgarbage()\n");
  ASSERT_EQ(chdir(testenv::ProcessDir().c_str()), 0);
  vfs::Archive archive;
  EXPECT_TRUE(archive.LoadArchive(dir_ + "/tool.arc"));
}

TEST_F(BindingTest, ScriptsListFolders) {
  for (const char* name : {"level2.lua", "level10.lua", "level1.lua", "notes.txt"}) {
    testenv::WriteFile(dir_ + "/levels/" + name, "");
  }
  // Relative names: the number sort reads the first digits of the whole name, folder included.
  ASSERT_EQ(chdir(dir_.c_str()), 0);
  Run("local list = SearchDir('levels/*.lua')\n"
      "assert(list:GetFileC() == 3)\n"
      "list:SortNumber()\n"
      "assert(list:GetBaseFileName(0) == 'level1', list:GetBaseFileName(0))\n"
      "assert(list:GetBaseFileName(2) == 'level10')\n"
      "assert(list:GetExtension(1) == 'lua')\n"
      "assert(list:GetFileName(1) == 'levels/level2.lua')\n"
      "assert(list:GetFileName(3) == '' and not list:IsDirectory(3))\n"
      "assert(not list:IsReadOnly(0) and not list:IsHidden(0))\n"
      "list:Build('levels/*.txt')\n"
      "assert(list:GetFileC() == 4)\n"
      "list:Reset()\n"
      "assert(list:GetFileC() == 0)\n");
  ASSERT_EQ(chdir(testenv::ProcessDir().c_str()), 0);
}

TEST_F(BindingTest, ScriptsReadAndChangeSettings) {
  std::string path = dir_ + "/kv.lua";
  testenv::WriteFile(path, "Config = { Volume = 70 }");
  config::ConfigFile& settings = config::ConfigFile::Instance();
  settings.Load(path);
  Run("local c = GetConfig()\n"
      "assert(c:GetInt('Volume', 5) == 70)\n"
      "assert(c:SetString('Nick', 'hana'))\n"
      "assert(c:GetFloat('Missing', 0.5) == 0.5)\n"
      "assert(c:GetString('Nick', '') == 'hana')\n");
  EXPECT_EQ(settings.GetString("Nick", ""), "hana");
  EXPECT_FLOAT_EQ(settings.GetFloat("Missing", 0), 0.5f);
  settings.Shutdown();
  EXPECT_NE(testenv::ReadFile(path).find("Nick = \"hana\""), std::string::npos);
}

TEST_F(BindingTest, BindingErrorsReachTheLog) {
  LogCapture log;
  EXPECT_NE(state_->DoString("CreateArchive():LoadArchive(1, 2, 3)"), 0);
  EXPECT_NE(state_->DoString("SearchDir()"), 0);
  ASSERT_EQ(log.lines.size(), 2u) << log.All();
  EXPECT_NE(log.lines[0].find("[MSG_SCRIPT]"), std::string::npos);
  EXPECT_NE(log.lines[0].find("No matching overload"), std::string::npos) << log.lines[0];
}

}  // namespace
