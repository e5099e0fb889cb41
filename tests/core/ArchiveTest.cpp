#include "engine/core/Archive.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <zlib.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "engine/core/VFS.h"
#include "tests/core/LogCapture.h"
#include "tests/support/TestEnv.h"
#include "tools/arctool/ArcTool.h"

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

std::string RandomBytes(size_t count, uint32_t seed) {
  std::string bytes(count, '\0');
  for (char& c : bytes) {
    seed = seed * 1664525u + 1013904223u;
    c = static_cast<char>(seed >> 24);
  }
  return bytes;
}

// Text that deflate shrinks well, different for each seed.
std::string TextBytes(size_t count, uint32_t seed) {
  static const char* const kWords[] = {"board ", "block ", "chain ", "zen ", "spell ", "dress ", "shop "};
  std::string text;
  while (text.size() < count) {
    seed = seed * 1664525u + 1013904223u;
    text += kWords[(seed >> 16) % 7];
  }
  text.resize(count);
  return text;
}

// Writes each entry to a disk file and packs them under their names.
std::string BuildArchive(const Entries& entries, const std::string& name = "test.arc") {
  std::string dir = testenv::MakeTempDir("arc");
  vfs::Archive archive;
  for (size_t i = 0; i < entries.size(); ++i) {
    std::string disk = dir + "/file" + std::to_string(i);
    EXPECT_TRUE(testenv::WriteFile(disk, entries[i].second));
    EXPECT_TRUE(archive.AddFile(disk, entries[i].first)) << entries[i].first;
  }
  std::string path = dir + "/" + name;
  EXPECT_TRUE(archive.SaveArchive(path));
  return path;
}

std::string Load(vfs::Archive& archive, const std::string& key) {
  vfs::File file;
  if (!archive.GetFile(vfs::VFS::HashKey(key), file)) return "<missing>";
  return std::string(file.Chars(), file.size);
}

size_t OpenDescriptors() {
  size_t count = 0;
  for ([[maybe_unused]] auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++count;
  return count;
}

// The bytes of an archive file with access to its header words and its directory.
struct ArchiveImage {
  explicit ArchiveImage(const std::string& path) : bytes(testenv::ReadFile(path)) {}

  uint32_t Word(int index) const {
    uint32_t value;
    std::memcpy(&value, bytes.data() + 4 * index, 4);
    return value;
  }
  void SetWord(int index, uint32_t value) { std::memcpy(bytes.data() + 4 * index, &value, 4); }

  std::string Directory() const {
    std::string raw(Word(5), '\0');
    uLongf size = raw.size();
    uncompress(reinterpret_cast<Bytef*>(raw.data()), &size,
               reinterpret_cast<const Bytef*>(bytes.data() + Word(3)), Word(4));
    return raw;
  }
  // Replaces the directory and fixes the header's count and sizes to match it.
  void SetDirectory(const std::string& raw) {
    std::string stored(compressBound(raw.size()), '\0');
    uLongf size = stored.size();
    compress2(reinterpret_cast<Bytef*>(stored.data()), &size,
              reinterpret_cast<const Bytef*>(raw.data()), raw.size(), 9);
    stored.resize(size);
    bytes = bytes.substr(0, Word(3)) + stored;
    SetWord(2, static_cast<uint32_t>(raw.size() / 276));
    SetWord(4, static_cast<uint32_t>(stored.size()));
    SetWord(5, static_cast<uint32_t>(raw.size()));
  }
  static uint32_t RecordWord(const std::string& directory, int record, int offset) {
    uint32_t value;
    std::memcpy(&value, directory.data() + record * 276 + offset, 4);
    return value;
  }
  static void SetRecordWord(std::string& directory, int record, int offset, uint32_t value) {
    std::memcpy(directory.data() + record * 276 + offset, &value, 4);
  }
  void Save(const std::string& path) const { testenv::WriteFile(path, bytes); }

  std::string bytes;
};

class ArchiveTest : public ::testing::Test {
 protected:
  void TearDown() override { vfs::VFS::Instance().RemoveArchives(); }
};

TEST_F(ArchiveTest, PackerRoundTripsAFolderUnderLookupKeys) {
  std::string data = testenv::MakeTempDir("data");
  const std::string image = RandomBytes(20000, 7);
  testenv::WriteFile(data + "/Scripts/Console.lua", "print('hello')\n");
  testenv::WriteFile(data + "/ui/menu.ui", TextBytes(3000, 1));
  testenv::WriteFile(data + "/art/Sheets/Hero.PNG", image);
  testenv::WriteFile(data + "/readme.txt", "");
  testenv::WriteFile(data + "/CMakeLists.txt", "build file");
  testenv::WriteFile(data + "/.hidden/secret.lua", "no");
  testenv::WriteFile(data + "/dev.lua", "DEV_DATA = { EnableEditor = true }");

  std::string path = testenv::MakeTempDir("out") + "/kx.arc";
  std::string error;
  ASSERT_TRUE(arctool::PackFolder(data, path, error)) << error;

  std::ostringstream listing;
  ASSERT_TRUE(arctool::ListArchive(path, listing, error)) << error;
  std::string list = listing.str();
  for (const char* key : {"scripts/console.lua", "ui/menu.ui", "sheets/hero.png", "readme.txt"}) {
    EXPECT_NE(list.find(key), std::string::npos) << key;
  }
  EXPECT_EQ(list.find("CMakeLists"), std::string::npos);
  EXPECT_EQ(list.find("secret"), std::string::npos);
  EXPECT_EQ(list.find("dev.lua"), std::string::npos);
  EXPECT_NE(list.find("raw  20000 20000 sheets/hero.png"), std::string::npos) << list;

  vfs::VFS& fs = vfs::VFS::Instance();
  fs.AddArchive(path);
  ASSERT_EQ(fs.ArchiveCount(), 1u);
  const Entries expected = {{"scripts/console.lua", "print('hello')\n"},
                            {"ui/menu.ui", TextBytes(3000, 1)},
                            {"Sheets/Hero.png", image},
                            {"readme.txt", ""}};
  for (const auto& [key, bytes] : expected) {
    vfs::File file;
    std::string name = key.find('/') == std::string::npos ? key : "somewhere/" + key;
    ASSERT_TRUE(fs.LoadFile(name, file)) << key;
    EXPECT_EQ(file.name, key);
    EXPECT_EQ(std::string(file.Chars(), file.size), bytes) << key;
    EXPECT_EQ(file.position, 0u);
  }

  std::ostringstream extracted;
  ASSERT_TRUE(arctool::ExtractEntry(path, "DATA\\UI\\Menu.UI", extracted, error)) << error;
  EXPECT_EQ(extracted.str(), TextBytes(3000, 1));
  EXPECT_FALSE(arctool::ExtractEntry(path, "ui/none.ui", extracted, error));
}

TEST_F(ArchiveTest, PackerRefusesTwoFilesWithOneKey) {
  std::string data = testenv::MakeTempDir("data");
  testenv::WriteFile(data + "/a/ui/x.lua", "1");
  testenv::WriteFile(data + "/b/UI/X.lua", "2");
  std::string error;
  EXPECT_FALSE(arctool::PackFolder(data, testenv::MakeTempDir("out") + "/kx.arc", error));
  EXPECT_NE(error.find("ui/x.lua"), std::string::npos) << error;
}

TEST_F(ArchiveTest, PackerJoinsFoldersAndRefusesAKeyTwoFoldersShare) {
  std::string sources = testenv::MakeTempDir("sources");
  std::string generated = testenv::MakeTempDir("generated");
  testenv::WriteFile(sources + "/scripts/console.lua", "x = 1\n");
  testenv::WriteFile(generated + "/fonts/BigFont.lua", "Offset = 0\n");
  testenv::WriteFile(generated + "/.stamp", "");
  std::string path = testenv::MakeTempDir("out") + "/kx.arc";
  std::string error;
  ASSERT_TRUE(arctool::PackFolders({sources, generated}, path, error)) << error;
  std::ostringstream listing;
  ASSERT_TRUE(arctool::ListArchive(path, listing, error)) << error;
  EXPECT_NE(listing.str().find("scripts/console.lua"), std::string::npos) << listing.str();
  EXPECT_NE(listing.str().find("fonts/bigfont.lua"), std::string::npos) << listing.str();
  EXPECT_EQ(listing.str().find("stamp"), std::string::npos) << listing.str();

  // A generated file may not hide a source of the same key, whatever its case.
  testenv::WriteFile(generated + "/Scripts/Console.LUA", "x = 2\n");
  EXPECT_FALSE(arctool::PackFolders({sources, generated}, path, error));
  EXPECT_NE(error.find("scripts/console.lua"), std::string::npos) << error;
  EXPECT_NE(error.find(generated), std::string::npos) << error;
  EXPECT_FALSE(arctool::PackFolders({sources, sources + "/none"}, path, error));
}

TEST_F(ArchiveTest, LookupKeysFindEntriesWhateverTheFolderAndCase) {
  vfs::VFS& fs = vfs::VFS::Instance();
  fs.AddArchive(BuildArchive({{"scripts/console.lua", "console"}, {"blue.png", "blue"}}));
  struct Case {
    const char* name;
    const char* key;
    const char* bytes;
  };
  const Case cases[] = {
      {"DATA\\SCRIPTS\\Console.LUA", "SCRIPTS/Console.LUA", "console"},
      {"x/y/scripts/console.lua", "scripts/console.lua", "console"},
      {"Scripts/CONSOLE.lua", "Scripts/CONSOLE.lua", "console"},
      {"BLUE.PNG", "BLUE.PNG", "blue"},
  };
  for (const Case& c : cases) {
    vfs::File file;
    ASSERT_TRUE(fs.LoadFile(c.name, file)) << c.name;
    EXPECT_EQ(file.name, c.key);
    EXPECT_EQ(std::string(file.Chars(), file.size), c.bytes);
  }
  // A file in a folder is not found by its bare name, nor a bare one under a folder.
  LogCapture log;
  vfs::File file;
  EXPECT_FALSE(fs.LoadFile("console.lua", file));
  EXPECT_FALSE(fs.LoadFile("ui/blue.png", file));
  EXPECT_TRUE(log.Contains("Couldn't find file console.lua in archives  [MSG_ERROR]"));
  EXPECT_TRUE(log.Contains("Couldn't find file ui/blue.png in archives"));
  EXPECT_EQ(file.size, 0u);
  EXPECT_FALSE(file.data);
}

TEST_F(ArchiveTest, NormalizePathKeepsTheLastFolderAndFileName) {
  const std::pair<const char*, const char*> cases[] = {
      {"data\\Scripts\\Console.lua", "Scripts/Console.lua"},
      {"a/b/c/img.png", "c/img.png"},
      {"blue.png", "blue.png"},
      {"/x.lua", "/x.lua"},
      {"a\\b/c", "b/c"},
      {"", ""},
  };
  for (const auto& [path, key] : cases) {
    std::string text = path;
    vfs::VFS::NormalizePath(text);
    EXPECT_EQ(text, key) << path;
  }
}

TEST_F(ArchiveTest, DiskFallbackUsesTheFullNameAndFindsFilesWithoutCase) {
  vfs::VFS& fs = vfs::VFS::Instance();
  fs.AddArchive(BuildArchive({{"scripts/console.lua", "from archive"}}));
  std::string dir = testenv::MakeTempDir("disk");
  testenv::WriteFile(dir + "/Data/Scripts/Other.LUA", "from disk");
  testenv::WriteFile(dir + "/empty.txt", "");

  // Not in the archive: read from the disk under the name as passed, whose key differs.
  vfs::File file;
  std::string exact = dir + "/Data/Scripts/Other.LUA";
  ASSERT_TRUE(fs.LoadFile(exact, file));
  EXPECT_EQ(file.name, exact);
  EXPECT_EQ(std::string(file.Chars(), file.size), "from disk");
  EXPECT_EQ(file.data[file.size], 0);  // the spare byte after the data

  std::string windowsStyle = dir + "\\data\\SCRIPTS\\other.lua";
  ASSERT_TRUE(fs.LoadFile(windowsStyle, file));
  EXPECT_EQ(file.name, windowsStyle);
  EXPECT_EQ(std::string(file.Chars(), file.size), "from disk");
  EXPECT_EQ(vfs::VFS::ResolveDiskPath(windowsStyle), exact);
  EXPECT_EQ(vfs::VFS::ResolveDiskPath(dir + "/data/none.lua"), dir + "/data/none.lua");

  // The archive wins over a disk file of the same key.
  testenv::WriteFile(dir + "/scripts/console.lua", "from disk");
  ASSERT_TRUE(fs.LoadFile(dir + "/scripts/console.lua", file));
  EXPECT_EQ(std::string(file.Chars(), file.size), "from archive");

  ASSERT_TRUE(fs.LoadFile(dir + "/EMPTY.TXT", file));
  EXPECT_EQ(file.size, 0u);
  EXPECT_FALSE(fs.LoadLocal(dir + "/Data", file));  // a folder is not a file
  EXPECT_FALSE(fs.LoadLocal(dir + "/nothing", file));
}

TEST_F(ArchiveTest, FirstMountedArchiveWins) {
  vfs::VFS& fs = vfs::VFS::Instance();
  fs.AddArchive(BuildArchive({{"ui/menu.ui", "first"}}));
  fs.AddArchive(BuildArchive({{"ui/menu.ui", "second"}, {"ui/only.ui", "only"}}));
  LogCapture log;
  fs.AddArchive(testenv::MakeTempDir("none") + "/missing.arc");
  EXPECT_TRUE(log.Contains("Unable to load archive "));
  EXPECT_EQ(fs.ArchiveCount(), 2u);
  vfs::File file;
  ASSERT_TRUE(fs.LoadFile("ui/menu.ui", file));
  EXPECT_EQ(std::string(file.Chars(), file.size), "first");
  ASSERT_TRUE(fs.LoadFile("ui/only.ui", file));
  EXPECT_EQ(std::string(file.Chars(), file.size), "only");
}

TEST_F(ArchiveTest, OnlyEntriesUpTo16384BytesStayCached) {
  // Half noise, half text: stored compressed, yet larger than the stream's own buffer, so
  // a second read of the large entry must go to the file.
  const std::string small = RandomBytes(8192, 3) + TextBytes(8192, 3);
  const std::string large = RandomBytes(8192, 4) + TextBytes(8193, 4);
  std::string path = BuildArchive({{"a/small.txt", small}, {"a/large.txt", large}});
  vfs::Archive archive;
  ASSERT_TRUE(archive.LoadArchive(path));
  EXPECT_EQ(Load(archive, "a/small.txt"), small);
  EXPECT_EQ(Load(archive, "a/large.txt"), large);

  // With the file cut off, only what stayed in memory can still be served.
  ASSERT_EQ(truncate(path.c_str(), 36), 0);
  LogCapture log;
  EXPECT_EQ(Load(archive, "a/small.txt"), small);
  EXPECT_EQ(Load(archive, "a/large.txt"), "<missing>");
  EXPECT_TRUE(log.Contains("Unable to read a/large.txt from archive " + path));
}

TEST_F(ArchiveTest, CompressedBytesAreKeptOnlyBelow95Percent) {
  const std::tuple<uint64_t, uint64_t, bool> cases[] = {
      {95, 100, false}, {94, 100, true}, {100, 100, false}, {9499, 10000, true},
      {9500, 10000, false}, {8, 0, false}, {0, 1, true},
  };
  for (const auto& [compressed, raw, expected] : cases) {
    EXPECT_EQ(vfs::Archive::ShouldStoreCompressed(compressed, raw), expected) << compressed << "/" << raw;
  }

  const std::string noise = RandomBytes(5000, 9);
  const std::string text = TextBytes(5000, 9);
  vfs::Archive archive;
  ASSERT_TRUE(archive.LoadArchive(BuildArchive({{"x/noise.bin", noise}, {"x/text.txt", text}, {"x/empty", ""}})));
  for (const auto& item : archive.Entries()) {
    const vfs::ArchiveEntry& entry = *item.second;
    std::string name = entry.name;
    if (name == "x/text.txt") {
      EXPECT_EQ(entry.flags, vfs::ArchiveEntry::kCompressed);
      EXPECT_LT(entry.storedSize, entry.rawSize * 95 / 100);
    } else {
      EXPECT_EQ(entry.flags, vfs::ArchiveEntry::kRaw) << name;
      EXPECT_EQ(entry.storedSize, entry.rawSize) << name;
    }
  }
  EXPECT_EQ(Load(archive, "x/noise.bin"), noise);
  EXPECT_EQ(Load(archive, "x/text.txt"), text);
  EXPECT_EQ(Load(archive, "x/empty"), "");
}

TEST_F(ArchiveTest, SavedFilesFollowTheLayout) {
  std::string path = BuildArchive({{"a/one", TextBytes(1000, 1)}, {"b/two", RandomBytes(300, 2)}});
  ArchiveImage image(path);
  EXPECT_EQ(image.Word(0), 0x53415243u);
  EXPECT_EQ(std::string(image.bytes.data(), 4), "CRAS");
  EXPECT_EQ(image.Word(1), 1u);
  EXPECT_EQ(image.Word(2), 2u);
  EXPECT_EQ(image.Word(5), 2u * 276);
  EXPECT_EQ(image.Word(6), 36u);
  EXPECT_EQ(image.Word(3), 36 + image.Word(7));
  EXPECT_EQ(image.Word(3) + image.Word(4), image.bytes.size());
  EXPECT_EQ(image.Word(8), 1300u);
  std::string directory = image.Directory();
  uint32_t previousHash = 0;
  uint32_t offset = 36;
  for (int i = 0; i < 2; ++i) {
    std::string name = directory.c_str() + i * 276;
    uint32_t hash = vfs::VFS::HashKey(name);
    EXPECT_GT(hash, previousHash) << "data in ascending hash order";
    previousHash = hash;
    EXPECT_EQ(ArchiveImage::RecordWord(directory, i, 256), offset);
    offset += ArchiveImage::RecordWord(directory, i, 260);
    // The cache word of the record is 0 in the file, whatever is cached in memory.
    EXPECT_EQ(ArchiveImage::RecordWord(directory, i, 264), 0u);
  }
  EXPECT_EQ(offset, image.Word(3));
}

TEST_F(ArchiveTest, SavingEmptyOrUnwritableArchivesFails) {
  std::string dir = testenv::MakeTempDir("save");
  LogCapture log;
  vfs::Archive empty;
  EXPECT_FALSE(empty.SaveArchive(dir + "/empty.arc"));
  EXPECT_TRUE(log.Contains("Can't save an empty archive to file " + dir + "/empty.arc  [MSG_ERROR]"));
  EXPECT_FALSE(testenv::FileExists(dir + "/empty.arc"));

  vfs::Archive archive;
  testenv::WriteFile(dir + "/x.txt", "x");
  ASSERT_TRUE(archive.AddFile(dir + "/x.txt", "a/x.txt"));
  EXPECT_FALSE(archive.SaveArchive(dir + "/missing/out.arc"));
  EXPECT_TRUE(log.Contains("Unable to save archive " + dir + "/missing/out.arc"));
}

TEST_F(ArchiveTest, SavingALoadedArchiveKeepsEveryEntry) {
  const Entries entries = {{"a/one.txt", TextBytes(20000, 1)}, {"a/two.bin", RandomBytes(100, 2)}};
  std::string path = BuildArchive(entries);
  std::string dir = testenv::MakeTempDir("extra");
  testenv::WriteFile(dir + "/three.txt", "three");

  vfs::Archive archive;
  ASSERT_TRUE(archive.LoadArchive(path));
  ASSERT_TRUE(archive.AddFile(dir + "/three.txt", "a/three.txt"));
  // Saved onto its own file, whose entries were never read before.
  ASSERT_TRUE(archive.SaveArchive(path));
  // After the save the entries live in memory only and still load, large ones included.
  EXPECT_EQ(Load(archive, "a/one.txt"), entries[0].second);
  EXPECT_EQ(Load(archive, "a/one.txt"), entries[0].second);

  vfs::Archive reloaded;
  ASSERT_TRUE(reloaded.LoadArchive(path));
  EXPECT_EQ(reloaded.Entries().Size(), 3u);
  EXPECT_EQ(Load(reloaded, "a/one.txt"), entries[0].second);
  EXPECT_EQ(Load(reloaded, "a/two.bin"), entries[1].second);
  EXPECT_EQ(Load(reloaded, "a/three.txt"), "three");
}

TEST_F(ArchiveTest, ASecondLoadKeepsTheEntriesOfTheFirst) {
  const std::string big = TextBytes(30000, 8);
  std::string first = BuildArchive({{"a/big.txt", big}, {"a/same.txt", "first"}});
  std::string second = BuildArchive({{"b/other.txt", "other"}, {"a/same.txt", "second"}});
  vfs::Archive archive;
  ASSERT_TRUE(archive.LoadArchive(first));
  ASSERT_TRUE(archive.LoadArchive(second));
  EXPECT_EQ(Load(archive, "a/big.txt"), big);
  EXPECT_EQ(Load(archive, "a/same.txt"), "first");
  EXPECT_EQ(Load(archive, "b/other.txt"), "other");
}

TEST_F(ArchiveTest, AddFileAndFileExistsUseTheNameAsGiven) {
  std::string dir = testenv::MakeTempDir("add");
  testenv::WriteFile(dir + "/f.txt", "f");
  vfs::Archive archive;
  ASSERT_TRUE(archive.AddFile(dir + "/f.txt", "scripts/console.lua"));
  EXPECT_FALSE(archive.AddFile(dir + "/f.txt", "SCRIPTS/Console.LUA"));  // same key
  EXPECT_FALSE(archive.AddFile(dir + "/none.txt", "x/none.txt"));
  EXPECT_TRUE(archive.FileExists("SCRIPTS/CONSOLE.LUA"));
  EXPECT_FALSE(archive.FileExists("data/scripts/console.lua"));  // not reduced to a key

  LogCapture log;
  EXPECT_TRUE(archive.AddFile(dir + "/f.txt", std::string(255, 'n')));
  EXPECT_FALSE(archive.AddFile(dir + "/f.txt", std::string(256, 'm')));
  EXPECT_TRUE(log.Contains("Archive entry name too long: "));
  EXPECT_FALSE(archive.FileExists(std::string(255, 'm')));

  // The one-argument form names the entry after the file.
  ASSERT_EQ(chdir(dir.c_str()), 0);
  EXPECT_TRUE(archive.AddFile("f.txt"));
  EXPECT_TRUE(archive.FileExists("F.TXT"));
  ASSERT_EQ(chdir(testenv::ProcessDir().c_str()), 0);
  vfs::File file;
  EXPECT_FALSE(archive.GetFile(12345, file));
}

TEST_F(ArchiveTest, HeaderChecksNameVersionBeforeMagicAndCloseTheFile) {
  std::string path = BuildArchive({{"a/b", "b"}});
  ArchiveImage image(path);
  const size_t descriptors = OpenDescriptors();
  struct Case {
    uint32_t magic;
    uint32_t version;
    const char* message;
  };
  const Case cases[] = {
      {0x12345678, 2, " : illegal version number"},
      {0x53415243, 0, " : illegal version number"},
      {0x12345678, 1, " : illegal magic number"},
  };
  for (const Case& c : cases) {
    image.SetWord(0, c.magic);
    image.SetWord(1, c.version);
    image.Save(path);
    LogCapture log;
    vfs::Archive archive;
    EXPECT_FALSE(archive.LoadArchive(path));
    EXPECT_TRUE(log.Contains("Unable to load archive " + path + c.message + "  [MSG_ERROR]")) << log.All();
    EXPECT_EQ(OpenDescriptors(), descriptors);
  }
}

TEST_F(ArchiveTest, DirectoryRecordsWithTheSameNameKeepTheFirst) {
  std::string path = BuildArchive({{"ui/aaa.ui", "first"}, {"ui/bbb.ui", "second"}});
  ArchiveImage image(path);
  std::string directory = image.Directory();
  // Give both records the same name but for case, keeping the first record's name.
  std::string firstName = directory.c_str();
  std::string other = firstName;
  for (char& c : other) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  std::memcpy(directory.data() + 276, other.c_str(), other.size() + 1);
  image.SetDirectory(directory);
  image.Save(path);

  vfs::Archive archive;
  ASSERT_TRUE(archive.LoadArchive(path));
  EXPECT_EQ(archive.Entries().Size(), 1u);
  std::string expected = firstName == "ui/aaa.ui" ? "first" : "second";
  EXPECT_EQ(Load(archive, firstName), expected);
}

// Every kind of damage either fails the load, or fails the read of the damaged entry;
// never a crash, never wrong bytes reported as a success.
TEST_F(ArchiveTest, DamagedArchivesFailCleanly) {
  const std::string text = TextBytes(40000, 5);
  const std::string noise = RandomBytes(3000, 6);
  const std::string good = BuildArchive({{"a/text.txt", text}, {"a/noise.bin", noise}});
  const ArchiveImage original(good);
  const std::string directory = original.Directory();
  // Which record is the compressed text.
  const int textRecord = std::string(directory.c_str()) == "a/text.txt" ? 0 : 1;

  struct Case {
    const char* what;
    std::function<void(ArchiveImage&)> damage;
    bool loads;  // the directory is still sound; the text entry is not
  };
  auto withDirectory = [&](std::function<void(std::string&)> change) {
    return [=](ArchiveImage& image) {
      std::string raw = directory;
      change(raw);
      image.SetDirectory(raw);
    };
  };
  const Case cases[] = {
      {"empty file", [](ArchiveImage& i) { i.bytes.clear(); }, false},
      {"half a header", [](ArchiveImage& i) { i.bytes.resize(20); }, false},
      {"header only", [](ArchiveImage& i) { i.bytes.resize(36); }, false},
      {"cut in the data", [](ArchiveImage& i) { i.bytes.resize(36 + 100); }, false},
      {"cut in the directory", [](ArchiveImage& i) { i.bytes.resize(i.bytes.size() - 1); }, false},
      {"directory bytes flipped",
       [](ArchiveImage& i) {
         for (size_t k = i.Word(3) + 2; k < i.bytes.size(); k += 3) i.bytes[k] ^= 0x5A;
       },
       false},
      {"raw directory size not count x 276", [](ArchiveImage& i) { i.SetWord(5, i.Word(5) + 1); }, false},
      {"count larger than the directory",
       [](ArchiveImage& i) {
         i.SetWord(2, 3);
         i.SetWord(5, 3 * 276);
       },
       false},
      {"directory offset past the end", [](ArchiveImage& i) { i.SetWord(3, 0x7FFFFFF0); }, false},
      {"directory offset inside the header", [](ArchiveImage& i) { i.SetWord(3, 8); }, false},
      {"huge count", [](ArchiveImage& i) {
         i.SetWord(2, 0x00FFFFFF);
         i.SetWord(5, static_cast<uint32_t>(0x00FFFFFFull * 276));
       }, false},
      {"record beyond the data area",
       withDirectory([&](std::string& d) { ArchiveImage::SetRecordWord(d, textRecord, 256, 0x10000000); }), false},
      {"record inside the header",
       withDirectory([&](std::string& d) { ArchiveImage::SetRecordWord(d, textRecord, 256, 4); }), false},
      {"raw size beyond what inflating can give",
       withDirectory([&](std::string& d) { ArchiveImage::SetRecordWord(d, textRecord, 268, 0xFFFFFFF0); }), false},
      {"unknown flags", withDirectory([&](std::string& d) { ArchiveImage::SetRecordWord(d, textRecord, 272, 3); }), false},
      {"unsaved flags", withDirectory([&](std::string& d) { ArchiveImage::SetRecordWord(d, textRecord, 272, 0); }), false},
      {"raw entry with two sizes",
       withDirectory([&](std::string& d) {
         int raw = 1 - textRecord;
         ArchiveImage::SetRecordWord(d, raw, 268, ArchiveImage::RecordWord(d, raw, 268) - 1);
       }),
       false},
      {"name without terminator",
       withDirectory([&](std::string& d) { std::memset(d.data() + textRecord * 276, 'x', 256); }), false},
      {"entry data flipped",
       [&](ArchiveImage& i) {
         uint32_t offset = ArchiveImage::RecordWord(directory, textRecord, 256);
         for (uint32_t k = offset + 10; k < offset + 60; ++k) i.bytes[k] ^= 0x33;
       },
       true},
      {"raw size one more than the stream gives",
       withDirectory([&](std::string& d) {
         ArchiveImage::SetRecordWord(d, textRecord, 268, ArchiveImage::RecordWord(d, textRecord, 268) + 1);
       }),
       true},
      {"raw size one less than the stream gives",
       withDirectory([&](std::string& d) {
         ArchiveImage::SetRecordWord(d, textRecord, 268, ArchiveImage::RecordWord(d, textRecord, 268) - 1);
       }),
       true},
  };
  const size_t descriptors = OpenDescriptors();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ArchiveImage image = original;
    c.damage(image);
    std::string path = testenv::MakeTempDir("bad") + "/bad.arc";
    image.Save(path);
    LogCapture log;
    vfs::Archive archive;
    bool loaded = archive.LoadArchive(path);
    EXPECT_EQ(loaded, c.loads);
    if (!loaded) {
      EXPECT_TRUE(log.Contains("Unable to load archive " + path)) << log.All();
      EXPECT_EQ(OpenDescriptors(), descriptors);
      continue;
    }
    EXPECT_EQ(Load(archive, "a/text.txt"), "<missing>");
    EXPECT_TRUE(log.Contains("Unable to read a/text.txt from archive " + path)) << log.All();
    EXPECT_EQ(Load(archive, "a/noise.bin"), noise);
  }
}

TEST_F(ArchiveTest, PathHelpers) {
  EXPECT_EQ(vfs::GetExtension("photo.JPEG"), "jpe");
  EXPECT_EQ(vfs::GetExtension("readme"), "");
  EXPECT_EQ(vfs::GetExtension("ui/Menu.Ui"), "ui");
  EXPECT_EQ(vfs::StripExtension("Ui/Menu.UI"), "ui/menu");
  EXPECT_EQ(vfs::StripExtension("readme"), "");
  EXPECT_EQ(vfs::GetBaseName("a/b/hero.sbp"), "hero");
  EXPECT_EQ(vfs::GetBaseName("a\\hero.sbp"), "a\\hero");
  EXPECT_EQ(vfs::GetBaseName("a.b/hero"), "hero");
  EXPECT_EQ(vfs::GetBaseName("Hero"), "Hero");
}

}  // namespace
