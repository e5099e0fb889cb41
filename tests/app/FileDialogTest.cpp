// The file dialogs over the desktop's file chooser: the chooser's argument vector, the
// spawn without a shell, the headless cancel, and how a choice fills the record.

#include "platform/win32/FileDialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Args = std::vector<std::string>;

constexpr char kAllFiles[] = "All Files (*.*)\0*.*\0";
constexpr char kTwoFilters[] = "Levels\0*.lvl;*.lev\0All Files (*.*)\0*.*\0";
constexpr DWORD kSaveFlags = 0x8080E;
constexpr DWORD kOpenFlags = 0x8080C;

OPENFILENAMEA Record(const char* title, const char* dir, const char* filter, DWORD flags) {
  OPENFILENAMEA record;
  record.lpstrTitle = title;
  record.lpstrInitialDir = dir;
  record.lpstrFilter = filter;
  record.Flags = flags;
  return record;
}

TEST(FileDialogTest, ChooserArgumentsCarryEveryTextAsOneArgument) {
  struct Case {
    const char* what;
    plat::FileChooser chooser;
    OPENFILENAMEA record;
    bool save;
    Args expected;
  };
  const std::vector<Case> cases = {
      {"zenity open", plat::FileChooser::kZenity, Record("Load Levelmap", ".\\levels", kAllFiles, kOpenFlags),
       false,
       {"/usr/bin/zenity", "--file-selection", "--title=Load Levelmap", "--filename=./levels/",
        "--file-filter=All Files (*.*) | *"}},
      {"zenity save asks before overwriting", plat::FileChooser::kZenity,
       Record("Save Level", ".", kAllFiles, kSaveFlags), true,
       {"/usr/bin/zenity", "--file-selection", "--save", "--confirm-overwrite", "--title=Save Level",
        "--filename=./", "--file-filter=All Files (*.*) | *"}},
      {"zenity save without the prompt flag", plat::FileChooser::kZenity,
       Record("Save Level", "./maps/", kAllFiles, 0), true,
       {"/usr/bin/zenity", "--file-selection", "--save", "--title=Save Level", "--filename=./maps/",
        "--file-filter=All Files (*.*) | *"}},
      {"zenity with two filters", plat::FileChooser::kZenity, Record("t", nullptr, kTwoFilters, kOpenFlags),
       false,
       {"/usr/bin/zenity", "--file-selection", "--title=t", "--filename=./",
        "--file-filter=Levels | *.lvl *.lev", "--file-filter=All Files (*.*) | *"}},
      {"a title with shell characters stays verbatim", plat::FileChooser::kZenity,
       Record("x'; rm -rf ~ $(id) \"", ".", nullptr, kOpenFlags), false,
       {"/usr/bin/zenity", "--file-selection", "--title=x'; rm -rf ~ $(id) \"", "--filename=./"}},
      {"kdialog open", plat::FileChooser::kKDialog, Record("Load Level", ".levels", kTwoFilters, kOpenFlags),
       false,
       {"/usr/bin/kdialog", "--getopenfilename", ".levels/", "*.lvl *.lev|Levels\n*|All Files (*.*)",
        "--title", "Load Level"}},
      {"kdialog save", plat::FileChooser::kKDialog, Record("Save Level", ".", kAllFiles, kSaveFlags), true,
       {"/usr/bin/kdialog", "--getsavefilename", "./", "*|All Files (*.*)", "--title", "Save Level"}},
  };
  for (const Case& c : cases) {
    const std::string program =
        c.chooser == plat::FileChooser::kZenity ? "/usr/bin/zenity" : "/usr/bin/kdialog";
    EXPECT_EQ(plat::BuildFileChooserArgs(c.chooser, program, c.record, c.save), c.expected) << c.what;
  }
}

TEST(FileDialogTest, ChooserRunsWithoutAShellAndReportsItsExit) {
  // A path with blanks and shell characters comes back as it was given: no shell saw it.
  const plat::ChooserResult chosen = plat::RunFileChooser({"/bin/echo", "/tmp/my level; $(x).lvl"});
  EXPECT_TRUE(chosen.started);
  EXPECT_EQ(chosen.exitStatus, 0);
  EXPECT_EQ(chosen.output, "/tmp/my level; $(x).lvl");

  const plat::ChooserResult cancelled = plat::RunFileChooser({"/bin/false"});
  EXPECT_TRUE(cancelled.started);
  EXPECT_EQ(cancelled.exitStatus, 1);

  const plat::ChooserResult missing = plat::RunFileChooser({"/no/such/chooser"});
  EXPECT_FALSE(missing.started);
}

TEST(FileDialogTest, HeadlessDialogIsCancelledAtOnce) {
  // The test main runs on the offscreen video driver.
  char file[256] = "untouched";
  OPENFILENAMEA record = Record("Load Level", ".", kAllFiles, kOpenFlags);
  record.lpstrFile = file;
  record.nMaxFile = sizeof file;
  EXPECT_FALSE(GetOpenFileNameA(&record));
  EXPECT_FALSE(GetSaveFileNameA(&record));
  EXPECT_STREQ(file, "untouched");
}

TEST(FileDialogTest, ChoiceFillsTheRecord) {
  std::string reply;
  std::vector<bool> saves;
  plat::FakeFileDialog fake([&](const OPENFILENAMEA&, bool save) {
    saves.push_back(save);
    return reply;
  });
  struct Case {
    std::string reply;
    bool save;
    const char* defaultExtension;
    BOOL result;
    std::string file;
    std::string fileTitle;
  };
  const std::vector<Case> cases = {
      {"/home/p/levels/one", true, "lvl", TRUE, "/home/p/levels/one.lvl", "one.lvl"},
      {"/home/p/levels/two.dat", true, "lvl", TRUE, "/home/p/levels/two.dat", "two.dat"},
      {"/home/p.d/three", true, "lvl", TRUE, "/home/p.d/three.lvl", "three.lvl"},
      {"/home/p/levels/four", false, "lvl", TRUE, "/home/p/levels/four", "four"},
      {"/home/p/five", true, nullptr, TRUE, "/home/p/five", "five"},
      {"", true, "lvl", FALSE, "", ""},
      {"/" + std::string(40, 'x'), true, nullptr, FALSE, "", ""},  // does not fit
  };
  for (const Case& c : cases) {
    reply = c.reply;
    char file[32] = {};
    char fileTitle[16] = {};
    OPENFILENAMEA record = Record("t", ".", kAllFiles, c.save ? kSaveFlags : kOpenFlags);
    record.lpstrFile = file;
    record.nMaxFile = sizeof file;
    record.lpstrFileTitle = fileTitle;
    record.nMaxFileTitle = sizeof fileTitle;
    record.lpstrDefExt = c.defaultExtension;
    const BOOL result = c.save ? GetSaveFileNameA(&record) : GetOpenFileNameA(&record);
    EXPECT_EQ(result, c.result) << c.reply;
    EXPECT_EQ(std::string(file), c.file) << c.reply;
    EXPECT_EQ(std::string(fileTitle), c.fileTitle) << c.reply;
  }
  EXPECT_EQ(saves, (std::vector<bool>{true, true, true, false, true, true, true}));
}

}  // namespace
