#include "engine/core/FileList.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <string>
#include <vector>

#include "tests/support/TestEnv.h"

namespace {

std::vector<std::string> Names(const script::FileList& list) {
  std::vector<std::string> names;
  for (const script::FileEntry& entry : list.Entries()) names.push_back(entry.name);
  return names;
}

class FileListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = testenv::MakeTempDir("list");
    testenv::WriteFile(dir_ + "/b.lua", "b");
    testenv::WriteFile(dir_ + "/A.LUA", "a");
    testenv::WriteFile(dir_ + "/notes.txt", "n");
    testenv::WriteFile(dir_ + "/.hidden", "h");
    testenv::WriteFile(dir_ + "/sub/inner.lua", "i");
    chmod((dir_ + "/notes.txt").c_str(), 0444);
    // 5 March 2021, 14:07 UTC.
    struct utimbuf times = {1614953220, 1614953220};
    utime((dir_ + "/b.lua").c_str(), &times);
  }
  std::string dir_;
};

TEST_F(FileListTest, BuildListsMatchesWithTheFolderPartAndAttributes) {
  script::FileList list;
  list.Build(dir_ + "/*.lua");
  EXPECT_EQ(Names(list), (std::vector<std::string>{dir_ + "/A.LUA", dir_ + "/b.lua"}));
  EXPECT_EQ(list.Entries()[1].date, " 5: 3:2021-14 7");

  list.Reset();
  EXPECT_EQ(list.GetFileC(), 0);
  list.Build(dir_ + "\\*");
  std::vector<std::string> names = Names(list);
  const std::string folder = dir_ + "\\";
  EXPECT_EQ(names, (std::vector<std::string>{folder + ".", folder + "..", folder + ".hidden",
                                              folder + "A.LUA", folder + "b.lua",
                                              folder + "notes.txt", folder + "sub"}));
  for (int i = 0; i < list.GetFileC(); ++i) {
    std::string name = list.GetFileName(i);
    bool dots = name == folder + "." || name == folder + "..";
    EXPECT_EQ(list.IsDirectory(i), dots || name == folder + "sub") << name;
    EXPECT_EQ(list.IsHidden(i), name == folder + ".hidden") << name;
    EXPECT_EQ(list.IsReadOnly(i), name == folder + "notes.txt") << name;
    EXPECT_FALSE(list.IsSystem(i));
    EXPECT_FALSE(list.IsArchive(i));
  }

  // Build appends; a pattern without matches adds nothing.
  list.Build(dir_ + "/sub/*.lua");
  list.Build(dir_ + "/*.none");
  list.Build(dir_ + "/missing/*.lua");
  EXPECT_EQ(list.GetFileC(), 8);
  EXPECT_EQ(list.GetFileName(7), dir_ + "/sub/inner.lua");
}

TEST_F(FileListTest, NameHelpersAndRanges) {
  ASSERT_EQ(chdir(dir_.c_str()), 0);
  script::FileList list;
  list.Build("*.txt");
  ASSERT_EQ(chdir(testenv::ProcessDir().c_str()), 0);
  ASSERT_EQ(list.GetFileC(), 1);
  EXPECT_EQ(list.GetFileName(0), "notes.txt");  // no folder part in the pattern
  EXPECT_EQ(list.GetBaseFileName(0), "notes");
  EXPECT_EQ(list.GetExtension(0), "txt");
  for (int index : {-1, 1, 100}) {
    EXPECT_EQ(list.GetFileName(index), "");
    EXPECT_EQ(list.GetBaseFileName(index), "");
    EXPECT_EQ(list.GetExtension(index), "");
    EXPECT_FALSE(list.IsReadOnly(index));
  }

  testenv::WriteFile(dir_ + "/data/README", "r");
  testenv::WriteFile(dir_ + "/data/x.y.z", "r");
  script::FileList data;
  data.Build(dir_ + "/data/*");
  std::vector<std::string> names = Names(data);
  ASSERT_EQ(data.GetFileC(), 4);
  EXPECT_EQ(data.GetExtension(2), dir_ + "/data/README");  // no ".": the whole name
  EXPECT_EQ(data.GetBaseFileName(2), "README");
  EXPECT_EQ(data.GetExtension(3), "z");
  EXPECT_EQ(data.GetBaseFileName(3), "x.y");
}

TEST_F(FileListTest, SortNumberPutsNumberedNamesFirstInNumericOrder) {
  std::string dir = testenv::MakeTempDir("sort");
  for (const char* name : {"readme", "file10", "file2", "level03"}) testenv::WriteFile(dir + "/" + name, "");
  script::FileList list;
  ASSERT_EQ(chdir(dir.c_str()), 0);
  list.Build("*");
  ASSERT_EQ(chdir(testenv::ProcessDir().c_str()), 0);
  list.SortNumber();
  std::vector<std::string> names = Names(list);
  ASSERT_EQ(names.size(), 6u);
  EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 3),
            (std::vector<std::string>{"file2", "level03", "file10"}));
  // The names without digits follow, in any order.
  std::vector<std::string> rest(names.begin() + 3, names.end());
  std::sort(rest.begin(), rest.end());
  EXPECT_EQ(rest, (std::vector<std::string>{".", "..", "readme"}));
}

TEST_F(FileListTest, SearchDirKeepsEveryList) {
  script::FileList* first = script::SearchDir(dir_ + "/*.lua");
  script::FileList* second = script::SearchDir(dir_ + "/*.txt");
  EXPECT_NE(first, second);
  EXPECT_EQ(first->GetFileC(), 2);
  EXPECT_EQ(second->GetFileC(), 1);
}

}  // namespace
