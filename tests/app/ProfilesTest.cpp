// The profile store: the file's byte layout against an image built here field by field,
// a fresh store, adding, selecting and deleting profiles with their log lines, the cheat
// name, damaged and old files (kept as a backup), saving, and the Lua class.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "engine/app/GameRMS.h"
#include "engine/core/Script.h"
#include "platform/luaplus/LuaState.h"
#include "platform/win32/SdlVideo.h"
#include "tests/app/AppTestSupport.h"
#include "tests/core/LogCapture.h"
#include "tests/support/TestEnv.h"

namespace {

constexpr size_t kRecordSize = 285537;
constexpr size_t kProfileSize = 40751;
constexpr size_t kProfiles = 280;

// A profile file image written byte by byte, independently of the store's own encoder.
class FileImage {
 public:
  FileImage() : bytes_(kRecordSize, '\0') {}
  void U8(size_t at, uint8_t value) { bytes_.at(at) = static_cast<char>(value); }
  void U32(size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) U8(at + i, static_cast<uint8_t>(value >> (8 * i)));
  }
  void Text(size_t at, const std::string& text) { bytes_.replace(at, text.size(), text); }
  // The fresh record's settings and the rank 10000 of every level of every slot.
  void FreshRecord() {
    Text(0, "tlfd");
    U32(4, 48);
    U8(12, 1);
    U32(14, 0x42C80000);  // 100.0f
    U32(18, 0x42C80000);
    for (size_t p = 0; p < 7; ++p) FreshRanks(p);
  }
  void FreshRanks(size_t profile) {
    for (size_t level = 0; level < 2000; ++level) U32(Profile(profile) + 750 + level * 12 + 8, 10000);
  }
  void ClearProfile(size_t profile) { bytes_.replace(Profile(profile), kProfileSize, kProfileSize, '\0'); }
  static size_t Profile(size_t index) { return kProfiles + index * kProfileSize; }
  const std::string& Bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

// The first offset where two images differ, for a readable failure.
std::string FirstDifference(const std::string& got, const std::string& want) {
  if (got.size() != want.size()) return "size " + std::to_string(got.size()) + " != " + std::to_string(want.size());
  for (size_t i = 0; i < got.size(); ++i) {
    if (got[i] != want[i]) {
      return "offset " + std::to_string(i) + ": " + std::to_string(uint8_t(got[i])) + " != " +
             std::to_string(uint8_t(want[i]));
    }
  }
  return "";
}

class ProfilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = testenv::MakeTempDir("rms");
    path_ = dir_ + "/kx_test.rms";
  }

  // A store on the test's file, loaded.
  std::unique_ptr<GameRMS> Loaded() {
    auto rms = std::make_unique<GameRMS>(path_);
    rms->Load();
    return rms;
  }

  std::string dir_;
  std::string path_;
};

TEST_F(ProfilesTest, TheFileHoldsEachFieldAtItsOffset) {
  auto rms = Loaded();
  rms->SetLanguage("french");
  rms->SetSoundVolume(55.5f);
  rms->SetMusicVolume(20.0f);
  rms->SetUseFullscreenEnabled(false);
  ASSERT_TRUE(rms->AddProfile("Anna", "first", "paris"));
  ASSERT_TRUE(rms->AddProfile("LET_me_Play_on", "second", ""));
  rms->SetProfile(0);
  rms->SetOpen(3, 2);
  rms->SetScore(3, 12345);
  rms->SetRank(3, 7);
  rms->SetTrophyValue(999, -5);
  rms->GetCurrentProfileRecord()->values[0] = -2;
  rms->GetCurrentProfileRecord()->values[2999] = 0x01020304;
  ASSERT_TRUE(rms->Save());

  FileImage want;
  want.FreshRecord();
  want.U8(12, 0);
  want.U32(14, 0x425E0000);  // 55.5f
  want.U32(18, 0x41A00000);  // 20.0f
  want.Text(22, "french");
  want.U32(272, 2);
  want.U32(276, 0);
  // An added profile starts from zero bytes: its ranks are 0, not the fresh 10000.
  const size_t anna = FileImage::Profile(0);
  want.ClearProfile(0);
  want.Text(anna, "Anna");
  want.Text(anna + 250, "first");
  want.Text(anna + 500, "paris");
  want.U32(anna + 750 + 3 * 12, 2);
  want.U32(anna + 750 + 3 * 12 + 4, 12345);
  want.U32(anna + 750 + 3 * 12 + 8, 7);
  want.U32(anna + 24750, 0xFFFFFFFE);
  want.U32(anna + 24750 + 2999 * 4, 0x01020304);
  want.U32(anna + 36750 + 999 * 4, 0xFFFFFFFB);
  const size_t cheat = FileImage::Profile(1);
  want.ClearProfile(1);
  want.Text(cheat, "LET_me_Play_on");
  want.Text(cheat + 250, "second");
  want.U8(cheat + 40750, 1);

  const std::string got = testenv::ReadFile(path_);
  EXPECT_EQ(got.size(), kRecordSize);
  EXPECT_EQ(FirstDifference(got, want.Bytes()), "");
  EXPECT_EQ(got.substr(0, 4), "tlfd");
  EXPECT_FALSE(testenv::FileExists(path_ + ".tmp"));
}

TEST_F(ProfilesTest, AMissingFileGivesAFreshStoreThatIsWrittenAtOnce) {
  LogCapture log;
  auto rms = Loaded();
  EXPECT_TRUE(rms->IsLoaded());
  EXPECT_TRUE(log.lines.empty()) << log.All();

  FileImage fresh;
  fresh.FreshRecord();
  EXPECT_EQ(FirstDifference(testenv::ReadFile(path_), fresh.Bytes()), "");

  EXPECT_EQ(rms->GetProfileC(), 0);
  EXPECT_FALSE(rms->ProfileValid());
  EXPECT_EQ(rms->GetCurrentProfileRecord(), nullptr);
  EXPECT_EQ(rms->GetName(), "");
  EXPECT_EQ(rms->GetLocation(), "english");
  EXPECT_EQ(rms->GetRank(5), 0);
  EXPECT_EQ(rms->GetTrophyValue(3), -1);
  EXPECT_EQ(rms->IsOpen(5), 0);
  EXPECT_FALSE(rms->IsCheating());
  EXPECT_EQ(rms->GetLanguage(), "");
  EXPECT_FLOAT_EQ(rms->GetSoundVolume(), 100.0f);
  EXPECT_FLOAT_EQ(rms->GetMusicVolume(), 100.0f);
  EXPECT_TRUE(rms->IsUseFullscreenEnabled());
  EXPECT_EQ(rms->GetMaxProfileC(), 7);
}

TEST_F(ProfilesTest, AddingProfilesUpToSevenLogsEachAndRefusesAnEighth) {
  auto rms = Loaded();
  LogCapture log;
  for (int i = 0; i < 7; ++i) {
    ASSERT_TRUE(rms->AddProfile("P" + std::to_string(i), "info" + std::to_string(i), "oslo"));
    EXPECT_EQ(rms->GetCurrentProfile(), i);
  }
  EXPECT_TRUE(log.Contains("Adding profile P0 [ info0] to index 0  [MSG_COMMENT]")) << log.All();
  EXPECT_TRUE(log.Contains("Adding profile P6 [ info6] to index 6"));
  rms->SetProfile(2);
  EXPECT_TRUE(log.Contains("Setting profile 2  [MSG_COMMENT]"));

  EXPECT_FALSE(rms->AddProfile("Eighth", "", ""));
  EXPECT_TRUE(log.Contains("Unable to add a profile.. delete one first!  [MSG_WARNING]"));
  EXPECT_EQ(rms->GetProfileC(), 7);
  EXPECT_EQ(rms->GetCurrentProfile(), 2);
  EXPECT_EQ(rms->GetName(), "P2");
  EXPECT_EQ(rms->GetNameFromID(6), "P6");
  EXPECT_EQ(rms->GetLocationFromID(6), "oslo");
  EXPECT_EQ(rms->GetNameFromID(7), "");
  EXPECT_EQ(rms->GetLocationFromID(-1), "");

  for (int bad : {-1, 7, 100}) {
    log.Clear();
    rms->SetProfile(bad);
    EXPECT_TRUE(log.Contains("Invalid profile ID " + std::to_string(bad) + "  [MSG_WARNING]"));
    EXPECT_EQ(rms->GetCurrentProfile(), 2);
  }
}

TEST_F(ProfilesTest, ATooLongTextChangesNothingWhileTheFullFieldWidthIsKept) {
  auto rms = Loaded();
  ASSERT_TRUE(rms->AddProfile("Keep", "", "rome"));
  const std::string full(250, 'n');
  const std::string over(251, 'x');
  for (auto texts : {std::array<std::string, 3>{over, "", ""}, std::array<std::string, 3>{"a", over, ""},
                     std::array<std::string, 3>{"a", "", over}}) {
    EXPECT_FALSE(rms->AddProfile(texts[0], texts[1], texts[2]));
    EXPECT_EQ(rms->GetProfileC(), 1);
    EXPECT_EQ(rms->GetCurrentProfile(), 0);
    EXPECT_EQ(rms->GetName(), "Keep");
  }

  ASSERT_TRUE(rms->AddProfile(full, full, full));
  EXPECT_EQ(rms->GetName(), full);
  ASSERT_TRUE(rms->Save());
  // The file has no room for the terminator of a full field; it reads back to the
  // field's end and no further.
  const std::string bytes = testenv::ReadFile(path_);
  EXPECT_EQ(bytes.substr(FileImage::Profile(1), 750), full + full + full);
  auto again = Loaded();
  EXPECT_EQ(again->GetNameFromID(1), full);
  EXPECT_EQ(again->GetLocationFromID(1), full);
}

TEST_F(ProfilesTest, TheCheatNameInAnyCaseMarksTheNewProfile) {
  auto rms = Loaded();
  struct Case {
    const char* name;
    bool cheating;
  };
  for (const Case& c : {Case{"let_me_play_on", true}, Case{"LET_ME_PLAY_ON", true}, Case{"Let_Me_Play_On", true},
                        Case{"let_me_play_on ", false}, Case{"let_me_play", false}, Case{"Anna", false}}) {
    ASSERT_TRUE(rms->AddProfile(c.name, "", ""));
    EXPECT_EQ(rms->IsCheating(), c.cheating) << c.name;
    rms->DeleteProfile(0);
  }
}

TEST_F(ProfilesTest, TheApplicationsCheatNameHookDecides) {
  ASSERT_TRUE(plat::EnsureVideo());
  class CheatApp : public apptest::TestApp {
   public:
    using TestApp::TestApp;
    std::string GetCheatName() override { return "Hovrik"; }
  };
  CheatApp app("Pellavo profiles cheat", dir_);
  SetApplication(&app);
  auto rms = std::make_unique<GameRMS>();
  rms->Load();
  EXPECT_EQ(rms->GetPath(), GetSaveFolder() + "kx_test.rms");
  ASSERT_TRUE(rms->AddProfile("hovrik", "", ""));
  EXPECT_TRUE(rms->IsCheating());
  ASSERT_TRUE(rms->AddProfile("let_me_play_on", "", ""));
  EXPECT_FALSE(rms->IsCheating());
  SetApplication(nullptr);
}

TEST_F(ProfilesTest, DeletingMovesTheLaterProfilesDownAndTheCurrentIndexWithThem) {
  auto rms = Loaded();
  for (const char* name : {"A", "B", "C"}) ASSERT_TRUE(rms->AddProfile(name, "", name));
  rms->SetTrophyValue(0, 33);  // C's
  ASSERT_EQ(rms->GetCurrentProfile(), 2);

  LogCapture log;
  rms->DeleteProfile(1);
  EXPECT_TRUE(log.Contains("Deleting profile 1, 2 profiles left  [MSG_COMMENT]")) << log.All();
  EXPECT_EQ(rms->GetProfileC(), 2);
  EXPECT_EQ(rms->GetCurrentProfile(), 1);
  EXPECT_EQ(rms->GetName(), "C");
  EXPECT_EQ(rms->GetLocation(), "C");
  EXPECT_EQ(rms->GetTrophyValue(0), 33);
  EXPECT_EQ(rms->GetNameFromID(0), "A");

  // Deleting the current profile makes the one before it current.
  rms->DeleteProfile(1);
  EXPECT_EQ(rms->GetCurrentProfile(), 0);
  EXPECT_EQ(rms->GetName(), "A");
  // Deleting profile 0 while it is current leaves no current profile.
  rms->DeleteProfile(0);
  EXPECT_EQ(rms->GetCurrentProfile(), -1);
  EXPECT_FALSE(rms->ProfileValid());
  EXPECT_EQ(rms->GetLocation(), "english");

  log.Clear();
  rms->DeleteProfile(0);
  EXPECT_TRUE(log.Contains("Invalid profile ID 0  [MSG_WARNING]"));
  EXPECT_EQ(rms->GetProfileC(), 0);
}

TEST_F(ProfilesTest, LevelAndTrophyIndexesOutsideTheTablesAreRefused) {
  auto rms = Loaded();
  ASSERT_TRUE(rms->AddProfile("A", "", ""));
  for (int level : {-1, 2000, 1 << 30}) {
    EXPECT_EQ(rms->GetRank(level), 100) << level;
    EXPECT_EQ(rms->GetScore(level), 0);
    EXPECT_EQ(rms->IsOpen(level), 0);
    rms->SetOpen(level, 1);
    rms->SetScore(level, 1);
    rms->SetRank(level, 1);
  }
  for (int index : {-1, 1000}) {
    EXPECT_EQ(rms->GetTrophyValue(index), -1);
    rms->SetTrophyValue(index, 5);
  }
  rms->SetOpen(1999, 1);
  rms->SetRank(1999, 3);
  EXPECT_EQ(rms->IsOpen(1999), 1);
  EXPECT_FALSE(rms->IsCleared(1999));
  rms->SetOpen(1999, 2);
  EXPECT_TRUE(rms->IsCleared(1999));
  EXPECT_EQ(rms->GetRank(1999), 3);
  EXPECT_EQ(rms->GetRank(0), 0);  // an added profile starts cleared
}

TEST_F(ProfilesTest, TheLanguageIsCutTo249Bytes) {
  auto rms = Loaded();
  rms->SetLanguage(std::string(300, 'l'));
  EXPECT_EQ(rms->GetLanguage(), std::string(249, 'l'));
  EXPECT_EQ(rms->GetLanguageFromID(42), std::string(249, 'l'));
}

TEST_F(ProfilesTest, ASavedStoreLoadsBackTheSame) {
  auto rms = Loaded();
  rms->SetLanguage("swedish");
  rms->SetMusicVolume(12.25f);
  for (const char* name : {"A", "B", "C"}) ASSERT_TRUE(rms->AddProfile(name, "i", "loc"));
  rms->SetProfile(1);
  rms->SetScore(10, 500);
  rms->GetCurrentProfileRecord()->values[77] = 77;
  ASSERT_TRUE(rms->Save());

  auto again = Loaded();
  EXPECT_EQ(GameRMS::EncodeRecord(again->GetRecord()), GameRMS::EncodeRecord(rms->GetRecord()));
  EXPECT_EQ(again->GetCurrentProfile(), 1);
  EXPECT_EQ(again->GetName(), "B");
  EXPECT_EQ(again->GetScore(10), 500);
  EXPECT_EQ(again->GetCurrentProfileRecord()->values[77], 77);
  EXPECT_EQ(again->GetLanguage(), "swedish");
  EXPECT_FLOAT_EQ(again->GetMusicVolume(), 12.25f);
  EXPECT_FALSE(testenv::FileExists(path_ + ".bak"));
}

// Files that are not a profile file of this version are kept aside, never overwritten.
TEST_F(ProfilesTest, OldDamagedAndCutOffFilesAreKeptAsABackupAndReplaced) {
  FileImage old;
  old.FreshRecord();
  old.U32(4, 47);
  FileImage magic;
  magic.FreshRecord();
  magic.Text(0, "dflt");
  FileImage valid;
  valid.FreshRecord();
  valid.U32(272, 1);
  valid.Text(FileImage::Profile(0), "Anna");
  struct Case {
    const char* what;
    std::string bytes;
    const char* line;
  };
  const Case cases[] = {
      {"version 47", old.Bytes(), "Unable to load RMS.. invalid version# or Magic#  [MSG_ERROR]"},
      {"wrong magic", magic.Bytes(), "Unable to load RMS.. invalid version# or Magic#  [MSG_ERROR]"},
      {"cut off", valid.Bytes().substr(0, 100000), "Unable to load RMS.. the file ends after 100000 of 285537 bytes"},
      {"one byte short", valid.Bytes().substr(0, kRecordSize - 1), "the file ends after 285536 of 285537"},
      {"header only", valid.Bytes().substr(0, 6), "Unable to load RMS.. invalid version# or Magic#"},
      {"empty", "", "Unable to load RMS.. invalid version# or Magic#"},
      {"text", "Config = { SaveFile = 'x' }\n", "Unable to load RMS.. invalid version# or Magic#"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::remove((path_ + ".bak").c_str());
    ASSERT_TRUE(testenv::WriteFile(path_, c.bytes));
    LogCapture log;
    auto rms = Loaded();
    EXPECT_EQ(log.Count("Unable to load RMS"), 1u) << log.All();
    EXPECT_TRUE(log.Contains(c.line)) << log.All();
    EXPECT_TRUE(log.Contains("The old profile file is kept as " + path_ + ".bak")) << log.All();
    EXPECT_TRUE(rms->IsLoaded());
    EXPECT_EQ(rms->GetProfileC(), 0);
    EXPECT_EQ(testenv::ReadFile(path_ + ".bak"), c.bytes);
    FileImage fresh;
    fresh.FreshRecord();
    EXPECT_EQ(FirstDifference(testenv::ReadFile(path_), fresh.Bytes()), "");
  }
}

TEST_F(ProfilesTest, AFileOfTheRightVersionWithBadCountsAndTextsLoadsSafely) {
  FileImage image;
  image.FreshRecord();
  // Garbage everywhere behind the header: no text has a terminator, the count is far
  // past seven and the current index points nowhere.
  std::string bytes = image.Bytes();
  for (size_t i = 12; i < bytes.size(); ++i) bytes[i] = static_cast<char>('a' + i % 26);
  struct Case {
    uint32_t count;
    uint32_t current;
    int32_t wantCount;
    int32_t wantCurrent;
  };
  for (const Case& c : {Case{1000, 99, 7, -1}, Case{0xFFFFFFFF, 3, 7, 3}, Case{2, 0x80000000, 2, -1},
                        Case{2, 0xFFFFFFFF, 2, -1}, Case{0, 5, 0, 0}, Case{7, 6, 7, 6}}) {
    for (int i = 0; i < 4; ++i) {
      bytes[272 + i] = static_cast<char>(c.count >> (8 * i));
      bytes[276 + i] = static_cast<char>(c.current >> (8 * i));
    }
    ASSERT_TRUE(testenv::WriteFile(path_, bytes));
    auto rms = Loaded();
    EXPECT_EQ(rms->GetProfileC(), c.wantCount) << c.count;
    EXPECT_EQ(rms->GetCurrentProfile(), c.wantCurrent) << c.current;
    EXPECT_EQ(rms->GetLanguage().size(), 250u);
    EXPECT_EQ(rms->GetNameFromID(0).size(), c.wantCount > 0 ? 250u : 0u);
    EXPECT_FALSE(testenv::FileExists(path_ + ".bak"));
  }
}

TEST_F(ProfilesTest, AVolumeThatIsNoNumberReadsAsTheFreshValue) {
  FileImage image;
  image.FreshRecord();
  image.U32(14, 0x7FC00000);  // NaN
  image.U32(18, 0x7F800000);  // infinity
  ASSERT_TRUE(testenv::WriteFile(path_, image.Bytes()));
  auto rms = Loaded();
  EXPECT_FLOAT_EQ(rms->GetSoundVolume(), 100.0f);
  EXPECT_FLOAT_EQ(rms->GetMusicVolume(), 100.0f);
}

TEST_F(ProfilesTest, AFailedSaveIsReportedAndKeepsTheLastGoodFile) {
  auto rms = Loaded();
  ASSERT_TRUE(rms->AddProfile("Anna", "", ""));
  ASSERT_TRUE(rms->Save());
  const std::string good = testenv::ReadFile(path_);
  ASSERT_TRUE(rms->AddProfile("Bo", "", ""));

  // A folder in the temporary file's place makes writing it fail.
  std::filesystem::create_directories(path_ + ".tmp");
  LogCapture log;
  EXPECT_FALSE(rms->Save());
  EXPECT_TRUE(log.Contains("Unable to save RMS file " + path_)) << log.All();
  EXPECT_EQ(testenv::ReadFile(path_), good);
  std::filesystem::remove(path_ + ".tmp");

  GameRMS nowhere(dir_ + "/no/such/folder/kx.rms");
  nowhere.Load();
  log.Clear();
  EXPECT_FALSE(nowhere.Save());
  EXPECT_TRUE(log.Contains("Unable to save RMS file")) << log.All();
}

TEST_F(ProfilesTest, AStoreThatWasNeverLoadedWritesNothing) {
  ASSERT_TRUE(testenv::WriteFile(path_, "precious"));
  GameRMS rms(path_);
  EXPECT_EQ(rms.GetCurrentProfileRecord(), nullptr);
  EXPECT_FALSE(rms.Save());
  EXPECT_EQ(testenv::ReadFile(path_), "precious");
}

TEST_F(ProfilesTest, TheApplicationSavesItsStoreAfterTheMainLoop) {
  ASSERT_TRUE(plat::EnsureVideo());
  apptest::TestApp app("Pellavo profiles save", dir_);
  app.GameApp::SaveProfile();  // no store: nothing happens
  app.rms = new GameRMS(path_);
  app.GameApp::SaveProfile();  // not loaded: nothing is written
  EXPECT_FALSE(testenv::FileExists(path_));
  app.rms->Load();
  ASSERT_TRUE(app.rms->AddProfile("Anna", "", ""));
  app.GameApp::SaveProfile();
  GameRMS again(path_);
  again.Load();
  EXPECT_EQ(again.GetNameFromID(0), "Anna");
}

TEST_F(ProfilesTest, ScriptsReachTheApplicationsStore) {
  ASSERT_TRUE(plat::EnsureVideo());
  LuaState* state = script::CreateLuaState();
  ASSERT_TRUE(RegisterGameRMS(state));
  EXPECT_EQ(state->DoString("assert(GetRMS() == nil)"), 0);

  apptest::TestApp app("Pellavo profiles lua", dir_);
  app.rms = new GameRMS(path_);
  app.rms->Load();
  SetApplication(&app);
  LogCapture log;
  const int status = state->DoString(
      "local r = GetRMS()\n"
      "assert(r ~= nil)\n"
      "assert(r:GetProfileC() == 0 and r:GetMaxProfileC() == 7 and not r:ProfileValid())\n"
      "assert(r:GetName() == '' and r:GetLocation() == 'english')\n"
      "assert(r:GetRank(5) == 0 and r:GetTrophyValue(3) == -1)\n"
      "assert(r:AddProfile('Mia', 'info', 'oslo'))\n"
      "assert(not r:AddProfile(string.rep('x', 251), '', ''))\n"
      "assert(r:ProfileValid() and r:GetCurrentProfile() == 0 and r:GetName() == 'Mia')\n"
      "r:SetOpen(4, 1)\n"
      "assert(r:IsOpen(4) == 1 and not r:IsCleared(4))\n"
      "r:SetOpen(4, 3)\n"
      "assert(r:IsCleared(4))\n"
      "r:SetScore(4, 900) r:SetRank(4, 2)\n"
      "assert(r:GetScore(4) == 900 and r:GetRank(4) == 2 and r:GetRank(2000) == 100)\n"
      "r:SetTrophyValue(1, 42)\n"
      "assert(r:GetTrophyValue(1) == 42 and r:GetTrophyValue(1000) == -1)\n"
      "r:SetLanguage('german')\n"
      "assert(r:GetLanguage() == 'german' and r:GetLanguageFromID(5) == 'german')\n"
      "assert(r:GetNameFromID(0) == 'Mia' and r:GetLocationFromID(0) == 'oslo' and r:GetNameFromID(1) == '')\n"
      "assert(r:GetLocation() == 'oslo')\n"
      "r:SetSoundVolume(30) r:SetMusicVolume(40.5)\n"
      "assert(r:GetSoundVolume() == 30 and r:GetMusicVolume() == 40.5)\n"
      "r:SetUseFullscreenEnabled(false)\n"
      "assert(not r:IsUseFullscreenEnabled())\n"
      "assert(not r:IsCheating())\n"
      "assert(r:Save())\n"
      "r:DeleteProfile(0)\n"
      "assert(r:GetProfileC() == 0)\n"
      "r:Load()\n"
      "assert(r:GetProfileC() == 1 and r:GetName() == 'Mia')\n"
      "r:SetProfile(0)\n"
      "r:Reset()\n"
      "assert(r:GetProfileC() == 0 and r:IsUseFullscreenEnabled())\n"
      "assert(not pcall(GameRMS))\n");
  EXPECT_EQ(status, 0) << log.All();
  EXPECT_TRUE(log.Contains("Adding profile Mia [ info] to index 0"));
  SetApplication(nullptr);
  LuaState::Destroy(state);
}

}  // namespace
