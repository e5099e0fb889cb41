// The real program from the build, run headless twice on the packed data: splash pages,
// loading panel and the first screen, then a quit through the game's own script function.
// A third run goes through two more screens by transitions whose end script runs a frame.
//
// How the run ends by itself: the test packs its own copy of kx.arc, whose
// scripts/console.lua has a few lines added at its end (kTestScript). They wrap the menu's
// enter script so that, once the menu is entered, the engine's delayed scripts log when
// the first frame has been drawn, take a screenshot, add a profile when there is none, and
// call "HardQuitGame()". Nothing in the program knows about the test; it only runs the
// archive it finds in its working folder.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/LoopbackServer.h"
#include "tests/support/RecordOrder.h"
#include "tests/support/TestEnv.h"

extern char** environ;

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PELLAVO_E2E_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define PELLAVO_E2E_ASAN 1
#endif

namespace {

namespace fs = std::filesystem;
using recordtest::ExpectInOrder;
using recordtest::FindFrom;
using Clock = std::chrono::steady_clock;

const std::string kBin = std::string(PELLAVO_BINARY_DIR) + "/bin";
const std::string kProgram = kBin + "/pellavo";
const std::string kArcTool = kBin + "/arctool";
const std::string kGenerated = std::string(PELLAVO_BINARY_DIR) + "/content";
const std::string kData = std::string(PELLAVO_SOURCE_DIR) + "/data";

constexpr size_t kProfileFileSize = 285537;
constexpr int kRunTimeoutSeconds = 300;

const char kTestScript[] = R"lua(

-- End-to-end test: once the menu is entered, log the first frame, take a screenshot, make
-- sure a profile exists, and quit through the game's own function.
local E2E_EnterMainMenu = OnEnterMainMenu
function OnEnterMainMenu()
   E2E_EnterMainMenu()
   local rms = GetRMS()
   LOG("E2E profiles at start: " .. rms:GetProfileC() .. " " .. rms:GetName())
   DelayScript("LOG('E2E first frame')", 0)
   DelayScript("TakeScreenshot('e2e_menu', false)", 0.5)
   DelayScript("E2E_Finish()", 1.0)
end

function E2E_Finish()
   local rms = GetRMS()
   if rms:GetProfileC() == 0 then
      rms:AddProfile("e2e player", "", "english")
   end
   HardQuitGame()
end
)lua";

struct RunResult {
  int status = -1;                // exit status; -1 when it did not exit normally
  double firstFrameMs = -1.0;     // from the start of the process to "E2E first frame"
  double splashStartMs = -1.0;    // to "Audio manager Init" (right before the splash pages)
  double splashEndMs = -1.0;      // to "Font manager initialized" (right after them)
};

// Runs the program in `workDir` with its own save folder, headless, and times two log
// lines as they appear in kv.log.
RunResult RunProgram(const std::string& workDir, const std::string& dataHome) {
  const std::string logPath = dataHome + "/Hovrik/kv.log";
  std::error_code ec;
  fs::remove(logPath, ec);

  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    const std::string name = entry.substr(0, entry.find('='));
    if (name == "XDG_DATA_HOME" || name == "SDL_VIDEODRIVER" || name == "SDL_AUDIODRIVER" || name == "LANG" ||
        name == "LC_ALL" || name == "LC_MESSAGES" || name == "LIBGL_ALWAYS_SOFTWARE" || name == "ASAN_OPTIONS") {
      continue;
    }
    env.push_back(entry);
  }
#ifdef PELLAVO_E2E_ASAN
  // Mesa's driver is unloaded at exit and LeakSanitizer then reports its blocks as leaks
  // of an unknown module (the test programs keep the driver loaded for that reason; the
  // game does not). Our own code's leaks are the unit tests' business; here the run must
  // end cleanly, and every other error still fails it.
  const char* asan = std::getenv("ASAN_OPTIONS");
  env.push_back(std::string("ASAN_OPTIONS=") + (asan && *asan ? std::string(asan) + ":" : "") + "detect_leaks=0");
#endif
  env.push_back("XDG_DATA_HOME=" + dataHome);
  env.push_back("SDL_VIDEODRIVER=offscreen");
  env.push_back("SDL_AUDIODRIVER=dummy");
  env.push_back("LIBGL_ALWAYS_SOFTWARE=1");
  // config.ini says Language "auto": the desktop's language decides on the first run.
  env.push_back("LANG=de_DE.UTF-8");
  std::vector<char*> envp;
  for (std::string& entry : env) envp.push_back(entry.data());
  envp.push_back(nullptr);

  RunResult result;
  const Clock::time_point start = Clock::now();
  const pid_t child = fork();
  if (child == 0) {
    if (chdir(workDir.c_str()) != 0) _exit(126);
    const int devnull = open("/dev/null", O_WRONLY);
    if (devnull >= 0) dup2(devnull, 1);
    char* argv[] = {const_cast<char*>("./pellavo"), nullptr};
    execve(kProgram.c_str(), argv, envp.data());
    _exit(127);
  }
  if (child < 0) return result;

  int status = 0;
  for (;;) {
    const pid_t done = waitpid(child, &status, WNOHANG);
    const double elapsed = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    if (result.firstFrameMs < 0.0) {
      const std::string log = testenv::ReadFile(logPath);
      if (result.splashStartMs < 0.0 && log.find("Audio manager Init") != std::string::npos) {
        result.splashStartMs = elapsed;
      }
      if (result.splashEndMs < 0.0 && log.find("Font manager initialized") != std::string::npos) {
        result.splashEndMs = elapsed;
      }
      if (result.firstFrameMs < 0.0 && log.find("E2E first frame") != std::string::npos) {
        result.firstFrameMs = elapsed;
      }
    }
    if (done == child) break;
    if (elapsed > kRunTimeoutSeconds * 1000.0) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
      ADD_FAILURE() << "the program did not end within " << kRunTimeoutSeconds << " s";
      return result;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) ADD_FAILURE() << "the program ended on signal " << WTERMSIG(status);
  return result;
}

// kv.log's lines without their source prefix.
std::vector<std::string> LogLines(const std::string& path) {
  std::vector<std::string> lines;
  const std::string text = testenv::ReadFile(path);
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    const size_t prefix = line.find(")> ");
    if (prefix != std::string::npos) line = line.substr(prefix + 3);
    lines.push_back(line);
    at = end + 1;
  }
  return lines;
}

// A working folder with the test's own kx.arc, packed from a copy of the data whose
// scripts/console.lua ends with the given lines, and the program's config.ini; and a save
// folder of its own.
struct TestRun {
  std::string work;
  std::string dataHome;
};

void PrepareRun(const std::string& consoleLines, TestRun& run) {
  ASSERT_TRUE(fs::exists(kProgram)) << kProgram;
  ASSERT_TRUE(fs::exists(kGenerated + "/.generated")) << "the build generates the content into " << kGenerated;
  const std::string root = testenv::MakeTempDir("e2e");
  const std::string data = root + "/data";
  run.work = root + "/run";
  run.dataHome = root + "/xdg";
  fs::copy(kData, data, fs::copy_options::recursive);
  fs::create_directories(run.work);
  fs::create_directories(run.dataHome);
  const std::string console = testenv::ReadFile(data + "/scripts/console.lua");
  ASSERT_FALSE(console.empty());
  ASSERT_TRUE(testenv::WriteFile(data + "/scripts/console.lua", console + consoleLines));
  const std::string pack =
      kArcTool + " pack '" + data + "' '" + kGenerated + "' '" + run.work + "/kx.arc' > /dev/null";
  ASSERT_EQ(std::system(pack.c_str()), 0) << pack;
  fs::copy_file(kBin + "/config.ini", run.work + "/config.ini");
  // The biped animations, the story's movie, the language files, the help movies and the
  // cursors are read from the disk beside the program, as a normal run finds them.
  for (const char* folder : {"anim", "bganim", "movies", "lang", "help", "cursors"}) {
    if (fs::exists(kBin + "/" + folder)) fs::copy(kBin + "/" + folder, run.work + "/" + folder, fs::copy_options::recursive);
  }
}

TEST(EndToEnd, TheProgramShowsTheFirstScreenQuitsThroughItsScriptAndFindsItsProfileAgain) {
  TestRun run;
  ASSERT_NO_FATAL_FAILURE(PrepareRun(kTestScript, run));
  const std::string& work = run.work;
  const std::string& dataHome = run.dataHome;

  const std::string saveFolder = dataHome + "/Hovrik/";
  const RunResult first = RunProgram(work, dataHome);
  EXPECT_EQ(first.status, 0);

  const std::vector<std::string> log = LogLines(saveFolder + "kv.log");
  ExpectInOrder(log, {
      "Logfile created  [MSG_INIT]",
      "Trying to Load Config file " + saveFolder + "kv.lua  [MSG_INIT]",
      "screen Detected !  [MSG_COMMENT]",
      "LUA Script config.ini Loaded from config.ini  [MSG_INIT]",
      "D3D8 Initialized successfully  [MSG_INIT]",
      "Input initializes  [MSG_INIT]",
      "Audio manager Init  [MSG_INIT]",
      "Loaded texture distro/distro_splash.jpg",
      "Loaded texture ui_img/hovrik_jollix_splash.jpg",
      "Font manager initialized  [MSG_INIT]",
      "LUA Script scripts/console.lua Loaded",
      "Pellavo scripts started  [MSG_SCRIPT]",
      // The desktop is German, and no language was stored yet; without a German language
      // file the texts stay English.
      "No language file for german, the texts stay English  [MSG_SCRIPT]",
      "Console initialized  [MSG_INIT]",
      "UI panel Loading loaded from file ui/loading.ui",
      "Camera created  [MSG_INIT]",
      "Game scripts ready, language english  [MSG_SCRIPT]",
      "Loading units : ",
      "Entering game state menu  [MSG_COMMENT]",
      "E2E profiles at start: 0 ",
      "E2E first frame  [MSG_SCRIPT]",
      "Server connection shutdown  [MSG_INIT]",
      "Gameflow manager shutdown  [MSG_INIT]",
      "Font manager shutdown  [MSG_INIT]",
      "Console shutdown  [MSG_INIT]",
      "UI shutdown  [MSG_INIT]",
      "Graphics shutdown  [MSG_INIT]",
      "Audio manager shutdown  [MSG_INIT]",
      "Resource manager shutdown  [MSG_INIT]",
      "Trying to save Config file " + saveFolder + "kv.lua  [MSG_INIT]",
      "Config file saved  [MSG_INIT]",
  });
  EXPECT_EQ(FindFrom(log, "[MSG_FATAL]"), std::string::npos);
  EXPECT_EQ(FindFrom(log, "Message box"), std::string::npos);
  // A normal run logs no error, but for the settings file that the first run of a new
  // save folder does not find yet (every screen loads the scene it names, and none looks
  // for one named after its panel).
  for (const std::string& line : log) {
    if (line.find("[MSG_ERROR]") == std::string::npos) continue;
    EXPECT_NE(line.find("kv.lua"), std::string::npos) << "log: " << line;
  }
  // The menu's background scene and its birds' animation load.
  EXPECT_EQ(FindFrom(log, "Unable to load Background backgrounds/menu.lua!"), std::string::npos);
  EXPECT_EQ(FindFrom(log, "Unable to load biped data"), std::string::npos);
  // The settings are saved last, while the log is still open.
  EXPECT_EQ(log.empty() ? std::string() : log.back(), "Config file saved  [MSG_INIT]");

  // The settings script was written back, the profile file is one whole record.
  const std::string settings = testenv::ReadFile(saveFolder + "kv.lua");
  EXPECT_NE(settings.find("Config"), std::string::npos);
  EXPECT_NE(settings.find("ClearColor"), std::string::npos);
  EXPECT_EQ(testenv::ReadFile(saveFolder + "kx_hovrik.rms").size(), kProfileFileSize);

  // The screenshot of the first screen shows a picture, not a cleared buffer.
  testenv::Bitmap shot;
  ASSERT_TRUE(shot.Load(work + "/e2e_menu.bmp")) << "no readable e2e_menu.bmp";
  for (uint32_t& pixel : shot.pixels) pixel &= 0xFFFFFF;  // colours only, whatever the alpha
  EXPECT_EQ(shot.width, 800);
  EXPECT_EQ(shot.height, 600);
  std::set<uint32_t> colours(shot.pixels.begin(), shot.pixels.end());
  EXPECT_GT(colours.size(), 100u);
  std::vector<uint32_t> sorted = shot.pixels;
  std::sort(sorted.begin(), sorted.end());
  size_t longestRun = 0;
  for (size_t i = 0, run = 0; i < sorted.size(); ++i) {
    run = (i > 0 && sorted[i] == sorted[i - 1]) ? run + 1 : 1;
    longestRun = std::max(longestRun, run);
  }
  EXPECT_GT(shot.pixels.size() - longestRun, shot.pixels.size() / 10) << "the screenshot is nearly one colour";
  // Beside the card, clear of the scene's decals, the scene's picture shows its
  // plum-to-orchid gradient: red and blue well above green.
  const uint32_t corner = shot.At(780, 380);
  const int red = int(corner >> 16 & 0xFF);
  const int green = int(corner >> 8 & 0xFF);
  const int blue = int(corner & 0xFF);
  EXPECT_GT(red, green + 30) << std::hex << corner;
  EXPECT_GT(blue, green + 30) << std::hex << corner;

  // The second run finds the profile the first one wrote, and keeps its language.
  const RunResult second = RunProgram(work, dataHome);
  EXPECT_EQ(second.status, 0);
  const std::vector<std::string> again = LogLines(saveFolder + "kv.log");
  EXPECT_NE(FindFrom(again, "E2E profiles at start: 1 e2e player  [MSG_SCRIPT]"), std::string::npos);
  EXPECT_NE(FindFrom(again, "No language file for german, the texts stay English  [MSG_SCRIPT]"), std::string::npos);
  EXPECT_EQ(FindFrom(again, "Unable to load RMS"), std::string::npos);
  EXPECT_EQ(FindFrom(again, "[MSG_ERROR]"), std::string::npos) << "the second run finds its settings file";
  EXPECT_EQ(testenv::ReadFile(saveFolder + "kx_hovrik.rms").size(), kProfileFileSize);

  // The timings (README, Performance): the two splash pages take 10 s by design.
  for (const RunResult* run : {&first, &second}) {
    std::printf("Headless start to the first screen's first frame: %.0f ms (to the splash pages %.0f ms, "
                "splash pages %.0f ms, from their end to the first frame %.0f ms)\n",
                run->firstFrameMs, run->splashStartMs, run->splashEndMs - run->splashStartMs,
                run->firstFrameMs - run->splashEndMs);
  }
}

// Screens whose transition runs a frame from its end script (ForceRedraw), as the game's
// popups and summary do: two screens more from the menu's panel, each reached through a
// fade whose end script redraws, then the game's own quit.
const char kProbeScript[] = R"lua(

local E2E_EnterMainMenu = OnEnterMainMenu
function OnEnterMainMenu()
   E2E_EnterMainMenu()
   AddGameScreen("probe_one", "ui/menu.ui",
                 "DelayScript([[SetTransitionEffect('fade', 'probe_two', 'ForceRedraw()')]], 0.1)", "")
   AddGameScreen("probe_two", "ui/menu.ui", "DelayScript('HardQuitGame()', 0.1)", "")
   DelayScript("SetTransitionEffect('fade', 'probe_one', 'ForceRedraw()')", 0.1)
end
)lua";

TEST(EndToEnd, TransitionsWhoseEndScriptRunsAFrameEnterEachScreenOnce) {
  TestRun run;
  ASSERT_NO_FATAL_FAILURE(PrepareRun(kProbeScript, run));
  const RunResult result = RunProgram(run.work, run.dataHome);
  EXPECT_EQ(result.status, 0);

  const std::vector<std::string> log = LogLines(run.dataHome + "/Hovrik/kv.log");
  ExpectInOrder(log, {
      "Entering game state menu  [MSG_COMMENT]",
      "Adding screen probe_one from file ui/menu.ui  [MSG_COMMENT]",
      "Adding screen probe_two from file ui/menu.ui  [MSG_COMMENT]",
      "Exiting game state menu  [MSG_COMMENT]",
      "Entering game state probe_one  [MSG_COMMENT]",
      "Exiting game state probe_one  [MSG_COMMENT]",
      "Entering game state probe_two  [MSG_COMMENT]",
      "Gameflow manager shutdown  [MSG_INIT]",
  });
  for (const char* state : {"menu", "probe_one", "probe_two"}) {
    const std::string line = std::string("Entering game state ") + state + "  [MSG_COMMENT]";
    EXPECT_EQ(std::count(log.begin(), log.end(), line), 1) << line;
  }
  EXPECT_EQ(FindFrom(log, "[MSG_FATAL]"), std::string::npos);
}

// The game's variables and music from a script: coins added to a profile survive a restart,
// and the victory sting is called for while the theme plays (which sample the music
// channel then plays is not visible from here: the shell's music tests check that).
const char kVarsScript[] = R"lua(

local E2E_EnterMainMenu = OnEnterMainMenu
function OnEnterMainMenu()
   E2E_EnterMainMenu()
   local rms = GetRMS()
   if rms:GetProfileC() == 0 then
      rms:AddProfile("e2e player", "", "english")
   end
   LOG("E2E coins at start: " .. GetVars():GetCoins())
   GetVars():AddCoins(10)
   LOG("E2E coins now: " .. GetVars():GetCoins())
   GetMusic():SetSting('victory')
   LOG("E2E sting called")
   DelayScript("HardQuitGame()", 0.5)
end
)lua";

TEST(EndToEnd, CoinsAddedByAScriptSurviveARestartAndTheVictoryStingIsCalled) {
  TestRun run;
  ASSERT_NO_FATAL_FAILURE(PrepareRun(kVarsScript, run));
  const std::string logPath = run.dataHome + "/Hovrik/kv.log";
  const struct {
    const char* before;
    const char* after;
  } runs[] = {{"0", "10"}, {"10", "20"}};
  for (const auto& expected : runs) {
    SCOPED_TRACE(std::string("coins at start ") + expected.before);
    EXPECT_EQ(RunProgram(run.work, run.dataHome).status, 0);
    const std::vector<std::string> log = LogLines(logPath);
    ExpectInOrder(log, {
        "Entering game state menu  [MSG_COMMENT]",
        std::string("E2E coins at start: ") + expected.before + "  [MSG_SCRIPT]",
        std::string("E2E coins now: ") + expected.after + "  [MSG_SCRIPT]",
        "E2E sting called  [MSG_SCRIPT]",
        "Gameflow manager shutdown  [MSG_INIT]",
    });
    // The sting's file is packed and loads with the themes (a missing one is logged by
    // name); the script went on past the call, so the call raised no error.
    EXPECT_EQ(FindFrom(log, "victory_sting"), std::string::npos);
    EXPECT_EQ(FindFrom(log, "[MSG_FATAL]"), std::string::npos);
  }
}

const char kLevelScript[] = R"lua(

-- End-to-end test: from the menu, the console's PlayLevel opens the first level; once its
-- board has slid in, a screenshot, then the game's own quit.
local E2E_EnterMainMenu = OnEnterMainMenu
local E2E_Played = false
function OnEnterMainMenu()
   E2E_EnterMainMenu()
   if not E2E_Played then
      E2E_Played = true
      DelayScript("PlayLevel('garden')", 0.2)
   end
end

local E2E_EnterGame = OnEnterGame
local E2E_Entered = false
function OnEnterGame()
   E2E_EnterGame()
   if E2E_Entered then
      return
   end
   E2E_Entered = true
   DelayScript("LOG('E2E level frame')", 1.5)
   DelayScript("TakeScreenshot('e2e_level', false)", 1.6)
   DelayScript("HardQuitGame()", 2.2)
end
)lua";

TEST(EndToEnd, PlayLevelOpensTheFirstLevelWithItsBoardAndDisplay) {
  TestRun run;
  ASSERT_NO_FATAL_FAILURE(PrepareRun(kLevelScript, run));
  const RunResult result = RunProgram(run.work, run.dataHome);
  EXPECT_EQ(result.status, 0);

  const std::vector<std::string> log = LogLines(run.dataHome + "/Hovrik/kv.log");
  ExpectInOrder(log, {
      "Entering game state menu  [MSG_COMMENT]",
      "Level loaded successfully!  [MSG_COMMENT]",
      "Entering game state game  [MSG_COMMENT]",
      "E2E level frame  [MSG_SCRIPT]",
  });
  EXPECT_EQ(FindFrom(log, "[MSG_FATAL]"), std::string::npos);

  testenv::Bitmap shot;
  ASSERT_TRUE(shot.Load(run.work + "/e2e_level.bmp")) << "no readable e2e_level.bmp";
  for (uint32_t& pixel : shot.pixels) pixel &= 0xFFFFFF;
  ASSERT_EQ(shot.width, 800);
  ASSERT_EQ(shot.height, 600);
  // The board's tiles and flowers fill its middle with many colours; the display's card
  // on the left is no cleared buffer either.
  std::set<uint32_t> board;
  for (int y = 250; y < 350; ++y) {
    for (int x = 420; x < 560; ++x) board.insert(shot.At(x, y));
  }
  EXPECT_GT(board.size(), 50u);
  std::set<uint32_t> display;
  for (int y = 130; y < 400; ++y) {
    for (int x = 10; x < 160; ++x) display.insert(shot.At(x, y));
  }
  EXPECT_GT(display.size(), 20u);
}

// A walk through the screens from the menu's buttons' scripts: settings, trophy room,
// highscores (the global list from a loopback score server that kv.lua names), credits,
// the story's map, its first level, back to the menu, and the game's own quit; each
// screen is photographed once it has settled.
const char kWalkScript[] = R"lua(

E2E_Walk =
{
   { Name = "menu", Go = "" },
   { Name = "settings", Go = "OpenSettings()" },
   { Name = "trophies", Go = "OpenTrophies()" },
   { Name = "highscore", Go = "OpenHighscores()" },
   { Name = "global", Go = "GetHighscore():SetGlobalHS() E2E_LogRow()" },
   { Name = "credits", Go = "GoCredits()" },
   { Name = "shop", Go = "GoState('shop', 0)" },
   { Name = "map", Go = "MapAsia()" },
   { Name = "level", Go = "PlayLevel('garden')" },
   { Name = "back", Go = "MainMenu()" },
}

function E2E_LogRow()
   local name = GetUIMan():GetWidget("name_1")
   LOG("E2E global first row: " .. (name and name:GetText() or "(none)"))
end

function E2E_Step(i)
   local step = E2E_Walk[i]
   if step == nil then
      HardQuitGame()
      return
   end
   LOG("E2E step " .. step.Name .. " in " .. GetCurrentState())
   if step.Go ~= "" then
      load(step.Go)()
   end
   DelayScript("LOG('E2E shot " .. step.Name .. " in ' .. GetCurrentState()) TakeScreenshot('e2e_walk_" .. step.Name .. "', false)", 1.5)
   DelayScript("E2E_Step(" .. (i + 1) .. ")", 1.8)
end

local E2E_EnterMainMenu = OnEnterMainMenu
local E2E_Started = false
function OnEnterMainMenu()
   E2E_EnterMainMenu()
   if not E2E_Started then
      E2E_Started = true
      local rms = GetRMS()
      if rms:GetProfileC() == 0 then
         rms:AddProfile("walker", "", "oslo")
      end
      DelayScript("E2E_Step(1)", 0.5)
   end
end
)lua";

// The share of pixels of the most common colour, and the number of colours, of a shot.
struct ShotSummary {
  bool loaded = false;
  double topShare = 1.0;
  size_t colours = 0;
};

ShotSummary Summarise(const std::string& path, testenv::Bitmap& shot) {
  ShotSummary summary;
  if (!shot.Load(path)) return summary;
  summary.loaded = true;
  for (uint32_t& pixel : shot.pixels) pixel &= 0xFFFFFF;
  std::vector<uint32_t> sorted = shot.pixels;
  std::sort(sorted.begin(), sorted.end());
  size_t longestRun = 0;
  for (size_t i = 0, run = 0; i < sorted.size(); ++i) {
    run = (i > 0 && sorted[i] == sorted[i - 1]) ? run + 1 : 1;
    longestRun = std::max(longestRun, run);
  }
  summary.topShare = sorted.empty() ? 1.0 : double(longestRun) / double(sorted.size());
  summary.colours = std::set<uint32_t>(sorted.begin(), sorted.end()).size();
  return summary;
}

TEST(EndToEnd, AWalkThroughTheScreensFromTheMenuAndBack) {
  LoopbackServer server(
      [](const std::string& head) {
        const std::string body =
            head.find("Action=create_user") != std::string::npos ? "4711" : "1@Zoe@paris@90000@2@Yan@bern@1200";
        return LoopbackServer::Reply{"HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n" + body};
      },
      8);
  ASSERT_TRUE(server.Ok());
  TestRun run;
  ASSERT_NO_FATAL_FAILURE(PrepareRun(kWalkScript, run));
  ASSERT_TRUE(testenv::WriteFile(run.dataHome + "/Hovrik/kv.lua",
                                 "Config = { ScoreServer = \"http://127.0.0.1:" + std::to_string(server.Port()) +
                                     "\" }\n"));
  const RunResult result = RunProgram(run.work, run.dataHome);
  EXPECT_EQ(result.status, 0);

  const std::vector<std::string> log = LogLines(run.dataHome + "/Hovrik/kv.log");
  ExpectInOrder(log, {
      "Audio manager Init  [MSG_INIT]",
      "Font manager initialized  [MSG_INIT]",
      "Loading units : ",
      "Entering game state menu  [MSG_COMMENT]",
      "E2E shot menu in menu",
      "Entering game state settings  [MSG_COMMENT]",
      "E2E shot settings in settings",
      "Entering game state trophies  [MSG_COMMENT]",
      "E2E shot trophies in trophies",
      "Entering game state highscore  [MSG_COMMENT]",
      "E2E global first row: Zoe",
      "E2E shot global in highscore",
      "Entering game state credits  [MSG_COMMENT]",
      "E2E shot credits in credits",
      "Entering game state shop  [MSG_COMMENT]",
      "E2E shot shop in shop",
      "Entering game state map_asia  [MSG_COMMENT]",
      "E2E shot map in map_asia",
      "Level loaded successfully!  [MSG_COMMENT]",
      "Entering game state game  [MSG_COMMENT]",
      "E2E shot level in game",
      "Entering game state menu  [MSG_COMMENT]",
      "E2E shot back in menu",
      "Gameflow manager shutdown  [MSG_INIT]",
  });
  EXPECT_EQ(FindFrom(log, "[MSG_FATAL]"), std::string::npos);
  EXPECT_EQ(FindFrom(log, "CONNECTION_FAIL"), std::string::npos);
  EXPECT_FALSE(server.Heads().empty()) << "the global tab asked the loopback server";

  // Each screen is a picture, not a cleared buffer; the screens differ from the menu.
  testenv::Bitmap menu;
  ASSERT_TRUE(Summarise(run.work + "/e2e_walk_menu.bmp", menu).loaded);
  for (const char* name : {"menu", "settings", "trophies", "highscore", "global", "credits", "shop", "map", "level", "back"}) {
    SCOPED_TRACE(name);
    testenv::Bitmap shot;
    const ShotSummary summary = Summarise(run.work + "/e2e_walk_" + name + ".bmp", shot);
    ASSERT_TRUE(summary.loaded);
    ASSERT_EQ(shot.width, 800);
    ASSERT_EQ(shot.height, 600);
    EXPECT_LT(summary.topShare, 0.9);
    EXPECT_GT(summary.colours, 20u);
    if (std::string(name) != "menu" && std::string(name) != "back") {
      size_t differing = 0;
      for (size_t i = 0; i < shot.pixels.size(); ++i) differing += shot.pixels[i] != menu.pixels[i];
      EXPECT_GT(differing, shot.pixels.size() / 10) << "looks like the menu";
    }
  }
  // The menu's card in the middle, in both visits: the card's dark plum, not the
  // scene's brighter picture.
  for (const char* name : {"menu", "back"}) {
    testenv::Bitmap shot;
    ASSERT_TRUE(Summarise(run.work + "/e2e_walk_" + std::string(name) + ".bmp", shot).loaded);
    const uint32_t card = shot.At(400, 490);
    EXPECT_LT(int(card >> 8 & 0xFF), 80) << name << " " << std::hex << card;
  }
}

}  // namespace

namespace {

const char kHelpScript[] = R"lua(

-- End-to-end test: in the first level the help opens with its two movies; after a second
-- of frames, a screenshot, then the game's own quit.
local E2E_EnterMainMenu = OnEnterMainMenu
local E2E_Played = false
function OnEnterMainMenu()
   E2E_EnterMainMenu()
   if not E2E_Played then
      E2E_Played = true
      DelayScript("PlayLevel('garden')", 0.2)
   end
end

local E2E_EnterGame = OnEnterGame
local E2E_Entered = false
function OnEnterGame()
   E2E_EnterGame()
   if E2E_Entered then
      return
   end
   E2E_Entered = true
   DelayScript("GetGame():ShowHelp(true)", 1.5)
   DelayScript("LOG('E2E help frame')", 2.6)
   DelayScript("TakeScreenshot('e2e_help', false)", 2.7)
   DelayScript("HardQuitGame()", 3.2)
end
)lua";

TEST(EndToEnd, TheLevelHelpPlaysItsTwoMovies) {
  TestRun run;
  ASSERT_NO_FATAL_FAILURE(PrepareRun(kHelpScript, run));
  // The help movies are read from the disk beside the program (PrepareRun copies them).
  ASSERT_TRUE(fs::exists(run.work + "/help/chain.swf")) << "the build writes the help movies into " << kBin;
  const RunResult result = RunProgram(run.work, run.dataHome);
  EXPECT_EQ(result.status, 0);

  const std::vector<std::string> log = LogLines(run.dataHome + "/Hovrik/kv.log");
  ExpectInOrder(log, {
      "Entering game state game  [MSG_COMMENT]",
      "E2E help frame  [MSG_SCRIPT]",
  });
  EXPECT_EQ(FindFrom(log, "Can't create a movie"), std::string::npos);
  EXPECT_EQ(FindFrom(log, "[MSG_FATAL]"), std::string::npos);

  testenv::Bitmap shot;
  ASSERT_TRUE(shot.Load(run.work + "/e2e_help.bmp")) << "no readable e2e_help.bmp";
  for (uint32_t& pixel : shot.pixels) pixel &= 0xFFFFFF;
  ASSERT_EQ(shot.width, 800);
  ASSERT_EQ(shot.height, 600);
  // Each movie's left edge is a band of its own colour: the chain movie's in the upper
  // place (200..600 x 144..264), the spells movie's in the lower one (276..396).
  EXPECT_TRUE(testenv::ColorNear(shot.At(205, 200), 0xD64080, 3)) << std::hex << shot.At(205, 200);
  EXPECT_TRUE(testenv::ColorNear(shot.At(220, 250), 0xD64080, 3)) << std::hex << shot.At(220, 250);
  EXPECT_TRUE(testenv::ColorNear(shot.At(205, 330), 0x4060D6, 3)) << std::hex << shot.At(205, 330);
  EXPECT_TRUE(testenv::ColorNear(shot.At(220, 390), 0x4060D6, 3)) << std::hex << shot.At(220, 390);
  // And the movies show more than their bands: captions, shapes and text.
  std::set<uint32_t> chain;
  for (int y = 150; y < 260; ++y) {
    for (int x = 230; x < 590; ++x) chain.insert(shot.At(x, y));
  }
  EXPECT_GT(chain.size(), 40u);
}

}  // namespace
