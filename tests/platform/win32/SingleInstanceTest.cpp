// One running copy per user: the lock, and a second start finding and raising the first.

#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/SingleInstance.h"
#include "platform/win32/WinUser.h"
#include "tests/platform/win32/Win32TestSupport.h"
#include "tests/support/TestEnv.h"

extern char** environ;

namespace {

using Request = plat::SingleInstance::Request;

// Runs the second start and returns its exit status, answering requests meanwhile as the
// first start's main loop would.
int RunProbe(const std::string& folder, const std::string& className,
             const std::function<void()>& pump) {
  const std::string program = std::string(PELLAVO_BINARY_DIR) + "/bin/instance_probe";
  std::vector<char*> argv = {const_cast<char*>(program.c_str()), const_cast<char*>(folder.c_str()),
                             const_cast<char*>(className.c_str()), nullptr};
  pid_t child = 0;
  if (posix_spawn(&child, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return -1;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  int status = 0;
  while (waitpid(child, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
      return -2;
    }
    pump();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  pump();
  return WIFEXITED(status) ? WEXITSTATUS(status) : -3;
}

// Waits for requests to arrive at a holder (the asker does not wait for them to be
// served), for at most a hang guard.
std::vector<Request> ServeFor(plat::SingleInstance& holder, size_t expected) {
  std::vector<Request> requests;
  holder.SetHandler([&](Request r) { requests.push_back(r); });
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (requests.size() < expected && std::chrono::steady_clock::now() < deadline) {
    holder.ServeRequests();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  holder.SetHandler(nullptr);
  return requests;
}

TEST(SingleInstance, ASecondAcquisitionInTheSameProcessFails) {
  const std::string path = testenv::MakeTempDir("lock") + "/instance.lock";
  plat::SingleInstance first(path);
  plat::SingleInstance second(path);
  ASSERT_TRUE(first.Acquire());
  EXPECT_FALSE(second.Acquire());
  EXPECT_TRUE(second.HeldElsewhere());
  first.Release();
  EXPECT_TRUE(second.Acquire()) << "free again once released";
}

TEST(SingleInstance, AskingTheHolderReachesIt) {
  const std::string path = testenv::MakeTempDir("lock") + "/instance.lock";
  plat::SingleInstance holder(path);
  ASSERT_TRUE(holder.Acquire());
  std::string reply;
  ASSERT_TRUE(plat::SingleInstance::Ask(path, "ISICONIC", &reply));
  EXPECT_EQ(reply, "0");
  holder.SetIconic(true);
  ASSERT_TRUE(plat::SingleInstance::Ask(path, "ISICONIC", &reply));
  EXPECT_EQ(reply, "1");
  ASSERT_TRUE(plat::SingleInstance::Ask(path, "RESTORE", &reply));
  EXPECT_EQ(reply, "OK");
  ASSERT_TRUE(plat::SingleInstance::Ask(path, "FOREGROUND", &reply));
  EXPECT_EQ(ServeFor(holder, 2), (std::vector<Request>{Request::Restore, Request::Foreground}));
  EXPECT_EQ(holder.RequestsReceived(), 2u);

  holder.Release();
  EXPECT_FALSE(plat::SingleInstance::Ask(path, "FOREGROUND", &reply)) << "nobody listens";
}

TEST(SingleInstance, FindWindowStandsInForTheOtherHolder) {
  const std::string folder = testenv::MakeTempDir("instances");
  plat::SetInstanceFolder(folder);
  const std::string className = "Pellavo : v1.07               (Built on Apr 18 2008 )";
  // Another start holds the class's lock (here a second lock object of this process).
  plat::SingleInstance other(plat::InstanceLockPath(className));
  ASSERT_TRUE(other.Acquire());
  other.SetIconic(true);

  HWND found = FindWindowA(className.c_str(), nullptr);
  ASSERT_NE(found, nullptr);
  EXPECT_FALSE(IsWindow(found)) << "a stand-in, not a window of this process";
  EXPECT_TRUE(SetForegroundWindow(found));
  EXPECT_TRUE(IsIconic(found));
  ShowWindow(found, SW_RESTORE);
  EXPECT_EQ(ServeFor(other, 2), (std::vector<Request>{Request::Restore, Request::Foreground}));
  plat::SetInstanceFolder("");
}

class SecondStart : public wintest::WindowTest {};

TEST_F(SecondStart, TheFirstStartIsFoundRestoredAndRaised) {
  const std::string folder = testenv::MakeTempDir("instances");
  plat::SetInstanceFolder(folder);
  // The first start: no other instance, so it takes the lock and makes its window.
  ASSERT_EQ(FindWindowA(kClassName, nullptr), nullptr);
  HWND window = MakeWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(FindWindowA(kClassName, nullptr), window);
  ShowWindow(window, SW_MINIMIZE);
  PumpAll();
  ASSERT_TRUE(IsIconic(window));

  // A second start (another process) finds it minimised and asks it back.
  EXPECT_EQ(RunProbe(folder, kClassName, [&] { PumpAll(); }), 3);
  EXPECT_FALSE(IsIconic(window)) << "restored by the second start's request";

  // A start with a different class is not held back.
  EXPECT_EQ(RunProbe(folder, "Another Program", [&] { PumpAll(); }), 10);
  plat::SetInstanceFolder("");
}

}  // namespace
