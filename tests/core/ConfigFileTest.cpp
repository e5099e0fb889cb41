#include "engine/core/ConfigFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/core/Script.h"
#include "tests/core/LogCapture.h"
#include "tests/support/TestEnv.h"

namespace {

const math::Vec3 kClearColor(0.1f, 0.1f, 0.3f);

std::string SettingsPath() { return testenv::MakeTempDir("config") + "/kv.lua"; }

TEST(ConfigFileTest, FirstRunStoresDefaultsAndWritesThemBack) {
  std::string path = SettingsPath();
  LogCapture log;
  {
    config::ConfigFile settings;
    EXPECT_TRUE(settings.Load(path));
    EXPECT_TRUE(log.Contains("Trying to Load Config file " + path + "  [MSG_INIT]"));
    EXPECT_TRUE(log.Contains("Unable to load script file " + path));
    EXPECT_TRUE(log.Contains("Config file Loaded  [MSG_INIT]"));
    EXPECT_EQ(settings.GetString("AppName", "Application 1.0"), "Application 1.0");
    EXPECT_EQ(settings.GetVector("ClearColor", kClearColor), kClearColor);
    EXPECT_TRUE(settings.Save());
    EXPECT_TRUE(log.Contains("Trying to save Config file " + path));
    EXPECT_TRUE(log.Contains("Config file saved  [MSG_INIT]"));
  }
  EXPECT_EQ(testenv::ReadFile(path),
            "Config = {\n"
            "   AppName = \"Application 1.0\",\n"
            "   ClearColor = { 0.1, 0.1, 0.3 },\n"
            "}\n");
  EXPECT_FALSE(testenv::FileExists(path + ".tmp"));

  config::ConfigFile again;
  again.Load(path);
  EXPECT_EQ(again.GetString("AppName", "other"), "Application 1.0");
  EXPECT_EQ(again.GetVector("ClearColor", {}), kClearColor);
}

TEST(ConfigFileTest, WrongTypesAreReplacedByTheDefault) {
  std::string path = SettingsPath();
  testenv::WriteFile(path,
                     "Config = { ClearColor = { 1, 0, 0, 1 }, Volume = 'loud', Scale = '2',"
                     "  Title = 42, Keep = { 1, 2, 3 } }");
  config::ConfigFile settings;
  settings.Load(path);
  EXPECT_EQ(settings.GetVector("ClearColor", kClearColor), kClearColor);
  EXPECT_EQ(settings.GetVector("ClearColor", {}), kClearColor);  // the field now holds three numbers
  EXPECT_EQ(settings.GetInt("Volume", 80), 80);
  EXPECT_EQ(settings.GetInt("Volume", 5), 80);
  EXPECT_FLOAT_EQ(settings.GetFloat("Scale", 1.5f), 1.5f);
  EXPECT_EQ(settings.GetString("Title", "Pellavo"), "Pellavo");
  EXPECT_EQ(settings.GetVector("Keep", {}), math::Vec3(1, 2, 3));
}

TEST(ConfigFileTest, ValuesSetDuringARunSurviveTheNextStart) {
  std::string path = SettingsPath();
  testenv::WriteFile(path, "Config = { Fullscreen = true, Old = 'kept', Extra = { a = { 1 } } }");
  const std::string awkward = "line\nbreak \"quoted\" back\\slash \x01 end";
  {
    config::ConfigFile settings;
    settings.Load(path);
    EXPECT_TRUE(settings.SetString("Player", awkward));
    EXPECT_TRUE(settings.SetInt("Level", 12));
    EXPECT_TRUE(settings.SetFloat("Gamma", 0.1f));
    EXPECT_TRUE(settings.SetVector("Tint", {0.5f, 0.25f, 1}));
  }  // saved on destruction
  config::ConfigFile settings;
  settings.Load(path);
  EXPECT_EQ(settings.GetString("Player", ""), awkward);
  EXPECT_EQ(settings.GetInt("Level", 0), 12);
  EXPECT_EQ(settings.GetFloat("Gamma", 0), 0.1f);
  EXPECT_EQ(settings.GetVector("Tint", {}), math::Vec3(0.5f, 0.25f, 1));
  EXPECT_EQ(settings.GetString("Old", ""), "kept");
  // Keys the engine never reads keep their value and type.
  LuaObject table = settings.GetState()->GetGlobal("Config");
  EXPECT_TRUE(table["Fullscreen"].IsBoolean());
  EXPECT_EQ(table["Extra"]["a"][1].GetInteger(), 1);
  EXPECT_NE(testenv::ReadFile(path).find("Gamma = 0.1,"), std::string::npos);
}

TEST(ConfigFileTest, AFileWithoutATableGetsAnEmptyOne) {
  std::string path = SettingsPath();
  testenv::WriteFile(path, "Config = 5");
  config::ConfigFile settings;
  settings.Load(path);
  EXPECT_TRUE(settings.GetState()->GetGlobal("Config").IsTable());
  EXPECT_EQ(settings.GetInt("Width", 800), 800);
}

TEST(ConfigFileTest, AFailedSaveReportsItAndKeepsTheOldFile) {
  std::string dir = testenv::MakeTempDir("config");
  // A folder where the file should be: the rename cannot replace it.
  std::string path = dir + "/kv.lua";
  std::filesystem::create_directories(path + "/keep");
  LogCapture log;
  config::ConfigFile settings;
  settings.Load(path);
  settings.SetInt("x", 1);
  EXPECT_FALSE(settings.Save());
  EXPECT_TRUE(log.Contains("Failed to save Config file saved  [MSG_ERROR]"));
  EXPECT_TRUE(std::filesystem::is_directory(path + "/keep"));
  EXPECT_FALSE(testenv::FileExists(path + ".tmp"));

  config::ConfigFile nowhere;
  nowhere.Load(dir + "/missing/kv.lua");
  EXPECT_FALSE(nowhere.Save());
  settings.Shutdown();
}

TEST(ConfigFileTest, WithoutAStateGetsGiveDefaultsAndSetsFail) {
  config::ConfigFile settings;
  EXPECT_EQ(settings.GetInt("a", 3), 3);
  EXPECT_EQ(settings.GetString("a", "d"), "d");
  EXPECT_FALSE(settings.SetInt("a", 1));
  EXPECT_FALSE(settings.SetVector("a", {}));
  EXPECT_FALSE(settings.Save());

  std::string path = SettingsPath();
  settings.Load(path);
  settings.Shutdown();
  EXPECT_TRUE(testenv::FileExists(path));
  EXPECT_EQ(settings.GetState(), nullptr);
  EXPECT_FALSE(settings.SetInt("a", 1));
}

// The process-wide instance writes its settings back when the process ends normally.
TEST(ConfigFileTest, TheInstanceSavesAtProcessExit) {
  std::string path = SettingsPath();
  EXPECT_EXIT(
      {
        config::ConfigFile& settings = config::ConfigFile::Instance();
        settings.Load(path);
        settings.SetString("Saved", "at exit");
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_NE(testenv::ReadFile(path).find("Saved = \"at exit\""), std::string::npos);
}

}  // namespace
