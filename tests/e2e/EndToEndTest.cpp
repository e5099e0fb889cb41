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
#include <map>
#include <memory>
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

// A score server on 127.0.0.1 that makes a user and answers with two online rows: a
// level's best after a score (name, home town, score) and the ranked global list.
std::unique_ptr<LoopbackServer> StartScoreServer() {
  return std::make_unique<LoopbackServer>(
      [](const std::string& head) {
        std::string body = "1@Zoe@paris@90000@2@Yan@bern@1200";
        if (head.find("Action=create_user") != std::string::npos) body = "4711";
        if (head.find("Action=add_score") != std::string::npos) body = "Zoe@paris@90000@Yan@bern@1200";
        return LoopbackServer::Reply{"HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n" + body};
      },
      8);
}

// The run's settings file names the server as the game's score server.
bool NameScoreServer(const TestRun& run, const LoopbackServer& server) {
  return testenv::WriteFile(run.dataHome + "/Hovrik/kv.lua",
                            "Config = { ScoreServer = \"http://127.0.0.1:" + std::to_string(server.Port()) + "\" }\n");
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

// A console script that plays a level once the menu is entered: the menu's lines run
// first, then the level (a Lua expression without double quotes) is played; the first time the level state is
// entered (it runs its enter script twice), the level's lines run.
std::string LevelScript(const std::string& menuLines, const std::string& level, const std::string& levelLines) {
  return R"lua(

local E2E_EnterMainMenu = OnEnterMainMenu
local E2E_Played = false
function OnEnterMainMenu()
   E2E_EnterMainMenu()
   if not E2E_Played then
      E2E_Played = true
)lua" + menuLines +
         "      DelayScript(\"PlayLevel(" + level + R"lua()", 0.2)
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
)lua" + levelLines +
         "end\n";
}

// From the menu, the console's PlayLevel opens the first level; once its board has slid in,
// a screenshot, then the game's own quit.
const std::string kLevelScript = LevelScript("", "'garden'",
                                             "   DelayScript(\"LOG('E2E level frame')\", 1.5)\n"
                                             "   DelayScript(\"TakeScreenshot('e2e_level', false)\", 1.6)\n"
                                             "   DelayScript(\"HardQuitGame()\", 2.2)\n");

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
  const std::unique_ptr<LoopbackServer> server = StartScoreServer();
  ASSERT_TRUE(server->Ok());
  TestRun run;
  ASSERT_NO_FATAL_FAILURE(PrepareRun(kWalkScript, run));
  ASSERT_TRUE(NameScoreServer(run, *server));
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
  EXPECT_FALSE(server->Heads().empty()) << "the global tab asked the loopback server";

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

// In the first level the help opens with its two movies; after a second of frames, a
// screenshot, then the game's own quit.
const std::string kHelpScript = LevelScript("", "'garden'",
                                            "   DelayScript(\"GetGame():ShowHelp(true)\", 1.5)\n"
                                            "   DelayScript(\"LOG('E2E help frame')\", 2.6)\n"
                                            "   DelayScript(\"TakeScreenshot('e2e_help', false)\", 2.7)\n"
                                            "   DelayScript(\"HardQuitGame()\", 3.2)\n");

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

namespace {

// A level whose panels are rebuilt from their files twice (`GetUIMan():RefreshActive()`, as
// the console lets any player type it): once in play, once with a trophy popup open. The
// display must come back live each time (the score and coins it had, the heroine's
// portrait, the goal icons, only the level's spells, no "Start again"), the popup must keep
// its trophy and close, the level must go on and be won, and the game must quit cleanly.
// Each step logs what the widgets show; screenshots before and after each rebuild.
const char kRebuildFunctions[] = R"lua(

local function Widget(panel, name)
   local root = GetUIMan():GetPanel(panel)
   return root and root:GetWidgetByName(name)
end

local function Text(panel, name)
   local widget = Widget(panel, name)
   return widget and widget:GetText() or "(none)"
end

local function Shown(panel, name)
   local widget = Widget(panel, name)
   return widget ~= nil and widget:GetIsVisible()
end

function E2E_Display(label)
   local spells = ""
   for n = 1, 6 do
      spells = spells .. (Shown("in_game", string.format("specials_%03i", n)) and "1" or "0")
   end
   LOG("E2E " .. label .. ": score " .. Text("in_game", "score_box") .. ", coins " .. Text("in_game", "coins_box") ..
       ", spells " .. spells .. ", start again " .. tostring(Shown("in_game", "PuzzleReset")))
end

function E2E_Live()
   GetWell():AdjustCounter(12345)
   GetWell():AddGold(67)
   GetGame():AddZen(3, 0)
end

function E2E_Rebuild(label)
   LOG("E2E rebuild " .. label)
   GetUIMan():RefreshActive()
end

function E2E_Trophy()
   GetGame():AddTrophy(1)
end

function E2E_TrophyTitle(label)
   LOG("E2E trophy " .. label .. ": " .. Text("trophy_popup", "trophy_title") .. " / " ..
       Text("trophy_popup", "trophy_desc") .. ", shown " .. tostring(GetTrophyScreen():IsPopupVisible()))
end

function E2E_Summary()
   local summary = GetUIMan():GetPanel("summary")
   LOG("E2E summary shown " .. tostring(summary ~= nil and summary:GetIsVisible()) .. ", complete " ..
       tostring(GetSummary():IsComplete()) .. ", won " .. tostring(GetWell() ~= nil and GetWell():HasWon()) ..
       ", first online " .. Text("summary", "highscore_1"))
end
)lua";

const std::string kRebuildScript =
    kRebuildFunctions +
    LevelScript("      local rms = GetRMS()\n"
                "      if rms:GetProfileC() == 0 then\n"
                "         rms:AddProfile(\"rebuilder\", \"\", \"oslo\")\n"
                "      end\n"
                "      -- No tip holds the level or covers the display.\n"
                "      GetVars():SetHintEnabled(false)\n",
                "LevelOrder[1]", R"lua(
   local steps = {
      { 1.0, "E2E_Live()" },
      { 5.0, "E2E_Display('before') TakeScreenshot('e2e_rebuild_before', false)" },
      { 5.2, "E2E_Rebuild('in play')" },
      { 5.4, "E2E_Display('rebuilt in play') TakeScreenshot('e2e_rebuild_play', false)" },
      { 5.6, "GetWell():AdjustCounter(100) GetWell():AddGold(3)" },
      { 7.0, "E2E_Display('played on')" },
      { 7.2, "E2E_Trophy()" },
      { 8.0, "E2E_TrophyTitle('before') TakeScreenshot('e2e_rebuild_trophy_before', false)" },
      { 8.2, "E2E_Rebuild('with the trophy popup')" },
      { 8.4, "E2E_TrophyTitle('rebuilt') TakeScreenshot('e2e_rebuild_trophy', false)" },
      { 8.6, "CloseTrophyPopup()" },
      { 9.6, "E2E_Display('popup closed') TakeScreenshot('e2e_rebuild_closed', false)" },
      { 9.8, "GetWell():WinGame()" },
      { 15.0, "GetSummary():ForceComplete()" },
      { 16.0, "E2E_Summary() TakeScreenshot('e2e_rebuild_summary', false)" },
      { 16.5, "HardQuitGame()" },
   }
   for _, step in ipairs(steps) do
      DelayScript(step[2], step[1])
   end
)lua");

// The share of the pixels of a rectangle (x0 <= x < x1, y0 <= y < y1) in which two shots
// differ by more than a little in some channel.
double DifferingShare(const testenv::Bitmap& a, const testenv::Bitmap& b, int x0, int y0, int x1, int y1) {
  int differing = 0;
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) differing += testenv::ColorNear(a.At(x, y), b.At(x, y), 24) ? 0 : 1;
  }
  return double(differing) / double((x1 - x0) * (y1 - y0));
}

int Brightness(uint32_t pixel) { return int(pixel >> 16 & 0xFF) + int(pixel >> 8 & 0xFF) + int(pixel & 0xFF); }

// A spell bar of the display shows in the shot: its light top edge runs along nearly its
// whole width, brighter than what lies just above it. The scene behind a hidden bar (sky,
// mountains, sparks, a bird) has no such edge.
bool SpellBarShows(const testenv::Bitmap& shot, int bar) {
  constexpr int kLeft = 30, kRight = 138;  // inside the bars' 24..144
  const int top = int(600.0 * (0.695 + 0.032 * bar));
  int best = 0;
  for (int y = top - 1; y <= top + 3; ++y) {
    int lit = 0;
    for (int x = kLeft; x < kRight; ++x) lit += Brightness(shot.At(x, y)) > Brightness(shot.At(x, y - 3)) + 60 ? 1 : 0;
    best = std::max(best, lit);
  }
  return best > (kRight - kLeft) * 8 / 10;
}

TEST(EndToEnd, ALevelSurvivesItsPanelsBeingRebuiltInPlayAndUnderATrophyPopup) {
  // The summary sends the won level's score to a loopback score server.
  const std::unique_ptr<LoopbackServer> server = StartScoreServer();
  ASSERT_TRUE(server->Ok());
  TestRun run;
  ASSERT_NO_FATAL_FAILURE(PrepareRun(kRebuildScript, run));
  ASSERT_TRUE(NameScoreServer(run, *server));
  const RunResult result = RunProgram(run.work, run.dataHome);
  EXPECT_EQ(result.status, 0);

  const std::vector<std::string> log = LogLines(run.dataHome + "/Hovrik/kv.log");
  // The first level, "garden", offers the spells 1, 2 and 5 and is no puzzle: the
  // display shows the numbers it had, those three bars and no "Start again", before and
  // after each rebuild, and goes on counting.
  const std::string play = ", spells 110010, start again false  [MSG_SCRIPT]";
  ExpectInOrder(log, {
      "Level loaded successfully!  [MSG_COMMENT]",
      "Entering game state game  [MSG_COMMENT]",
      "E2E before: score 12,345, coins 67" + play,
      "E2E rebuild in play  [MSG_SCRIPT]",
      "E2E rebuilt in play: score 12,345, coins 67" + play,
      "E2E played on: score 12,445, coins 70" + play,
      "E2E rebuild with the trophy popup  [MSG_SCRIPT]",
      "E2E popup closed: score 12,445, coins 70" + play,
      "E2E summary shown true, complete true, won true, first online Zoe  [MSG_SCRIPT]",
      "Gameflow manager shutdown  [MSG_INIT]",
  });
  // The popup shows its trophy's title and description again.
  const size_t before = FindFrom(log, "E2E trophy before: ");
  const size_t rebuilt = FindFrom(log, "E2E trophy rebuilt: ");
  ASSERT_NE(before, std::string::npos);
  ASSERT_NE(rebuilt, std::string::npos);
  const std::string shownBefore = log[before].substr(std::string("E2E trophy before: ").size());
  EXPECT_EQ(log[rebuilt].substr(std::string("E2E trophy rebuilt: ").size()), shownBefore);
  EXPECT_EQ(shownBefore.find("(none)"), std::string::npos) << shownBefore;
  EXPECT_EQ(shownBefore.find(" / ,"), std::string::npos) << shownBefore;
  EXPECT_NE(shownBefore.find("shown true"), std::string::npos) << shownBefore;
  EXPECT_EQ(FindFrom(log, "[MSG_FATAL]"), std::string::npos);
  EXPECT_EQ(FindFrom(log, "[MSG_ERROR]"), std::string::npos);
  const std::vector<std::string> heads = server->Heads();
  EXPECT_TRUE(std::any_of(heads.begin(), heads.end(),
                          [](const std::string& head) { return head.find("Action=add_score") != std::string::npos; }))
      << "the summary sent the won level's score";

  std::map<std::string, testenv::Bitmap> shots;
  for (const char* name : {"before", "play", "trophy_before", "trophy", "closed", "summary"}) {
    testenv::Bitmap& shot = shots[name];
    ASSERT_TRUE(shot.Load(run.work + "/e2e_rebuild_" + name + ".bmp")) << name;
    ASSERT_EQ(shot.width, 800);
    ASSERT_EQ(shot.height, 600);
  }
  // The display's card as the level had it: the score and coins, the zen bar, the
  // heroine's portrait and the timer bar beside it; the goal icons in the top-left corner.
  struct Area {
    const char* what;
    int x0, y0, x1, y1;
  };
  const Area display[] = {
      {"score", 16, 141, 152, 168},      {"coins", 80, 218, 152, 242}, {"zen bar", 24, 258, 144, 273},
      {"portrait", 24, 288, 144, 408},   {"goal icons", 0, 4, 32, 68},
  };
  for (const char* name : {"play", "closed"}) {
    for (const Area& area : display) {
      // The score and coins after the popup closed are the ones played on since.
      const std::string what = area.what;
      if (std::string(name) == "closed" && (what == "score" || what == "coins")) continue;
      EXPECT_LT(DifferingShare(shots["before"], shots[name], area.x0, area.y0, area.x1, area.y1), 0.02)
          << name << ": " << area.what;
    }
  }
  for (const char* name : {"trophy", "closed"}) {
    for (const Area& area : {display[0], display[1]}) {
      EXPECT_LT(DifferingShare(shots["trophy_before"], shots[name], area.x0, area.y0, area.x1, area.y1), 0.02)
          << name << ": " << area.what;
    }
  }
  // The heroine's face and dress, not the empty frame.
  for (const char* name : {"before", "play", "closed"}) {
    std::set<uint32_t> portrait;
    for (int y = 295; y < 400; ++y) {
      for (int x = 45; x < 125; ++x) portrait.insert(shots[name].At(x, y) & 0xFFFFFF);
    }
    EXPECT_GT(portrait.size(), 200u) << name;
  }
  // Only the level's spell bars.
  for (const char* name : {"before", "play", "closed"}) {
    std::string bars;
    for (int bar = 0; bar < 6; ++bar) bars += SpellBarShows(shots[name], bar) ? '1' : '0';
    EXPECT_EQ(bars, "110010") << name;
  }
  // The popup rebuilt over the level shows its title, picture and description as before.
  const Area popup[] = {
      {"title", 300, 160, 500, 195}, {"picture", 370, 222, 430, 292}, {"description", 260, 335, 540, 362}};
  for (const Area& area : popup) {
    EXPECT_LT(DifferingShare(shots["trophy_before"], shots["trophy"], area.x0, area.y0, area.x1, area.y1), 0.05)
        << area.what;
  }
  std::set<uint32_t> title;
  for (int y = 160; y < 195; ++y) {
    for (int x = 300; x < 500; ++x) title.insert(shots["trophy"].At(x, y) & 0xFFFFFF);
  }
  EXPECT_GT(title.size(), 20u);
  // The won level's summary is up, over the scene.
  EXPECT_GT(DifferingShare(shots["closed"], shots["summary"], 200, 100, 600, 400), 0.5);
}

}  // namespace
