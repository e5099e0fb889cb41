#include "engine/core/Log.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/TestEnv.h"

namespace {

std::vector<std::string>* g_received = nullptr;
void Receive(const char* text) {
  if (g_received) g_received->push_back(text);
}

// Each test opens its own file through the one process-wide log and closes it again.
class LogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = testenv::MakeTempDir("log") + "/kv.log";
    Log& log = Log::Instance();
    log.Close();
    log.Open(path_.c_str());
    log.showPrefix = true;
    log.flushEachLine = true;
    g_received = &received_;
    log.callback = Receive;
  }
  void TearDown() override {
    Log& log = Log::Instance();
    log.callback = nullptr;
    log.showPrefix = true;
    g_received = nullptr;
    log.Close();
  }
  std::string FileText() { return testenv::ReadFile(path_); }

  std::string path_;
  std::vector<std::string> received_;
};

TEST_F(LogTest, LineFormatsByLevelAndPrefix) {
  struct Case {
    int level;
    bool prefix;
    const char* text;
    std::string expected;
  };
  const Case cases[] = {
      {MSG_INIT, true, "Console initialized", "src.cpp(12)> Console initialized  [MSG_INIT]\n"},
      {MSG_SCRIPT, true, "hello", "hello  [MSG_SCRIPT]\n"},
      {9, true, "odd", "src.cpp(12)> odd  [MSG_UNKNOWN]\n"},
      {-1, true, "neg", "src.cpp(12)> neg  [MSG_UNKNOWN]\n"},
      {MSG_ERROR, false, "abc", "abc \n"},
      {MSG_WARNING, true, "100% %s %d", "src.cpp(12)> 100% %s %d  [MSG_WARNING]\n"},
  };
  Log& log = Log::Instance();
  for (const Case& c : cases) {
    received_.clear();
    log.showPrefix = c.prefix;
    log.BeginLine(c.level, "src.cpp", 12);
    log.Append(c.text);
    log.EndLine();
    ASSERT_EQ(received_.size(), 1u) << c.text;
    EXPECT_EQ(received_[0], c.expected);
  }
  log.showPrefix = true;
  EXPECT_EQ(FileText(),
            "src.cpp(12)> Console initialized  [MSG_INIT]\n"
            "hello  [MSG_SCRIPT]\n"
            "src.cpp(12)> odd  [MSG_UNKNOWN]\n"
            "src.cpp(12)> neg  [MSG_UNKNOWN]\n"
            "abc \n"
            "src.cpp(12)> 100% %s %d  [MSG_WARNING]\n");
}

TEST_F(LogTest, WriterAppendsMixedValuesAndUsesRelativeSourcePath) {
  LOG_LINE(MSG_LOAD) << "n=" << 42 << " u=" << 7u << " f=" << 0.5 << ' ' << std::string("s");
  ASSERT_EQ(received_.size(), 1u);
  EXPECT_EQ(received_[0].rfind("tests/core/LogTest.cpp(", 0), 0u) << received_[0];
  EXPECT_NE(received_[0].find(")> n=42 u=7 f=0.500000 s  [MSG_LOAD]\n"), std::string::npos);
}

TEST_F(LogTest, LongTextIsSplitForOutputsAndJoinedInFile) {
  for (size_t length : {4094u, 4095u, 5000u, 13000u}) {
    received_.clear();
    std::string text(length, 'x');
    text[0] = 'A';
    text.back() = 'Z';
    LOG_LINE(MSG_COMMENT) << text;
    EXPECT_GE(received_.size(), 2u) << length;
    std::string joined;
    for (const std::string& piece : received_) {
      EXPECT_LT(piece.size(), Log::kBufferSize);
      joined += piece;
    }
    EXPECT_NE(joined.find("> A" + std::string(length - 2, 'x') + "Z  [MSG_COMMENT]\n"),
              std::string::npos)
        << length;
  }
  std::string file = FileText();
  EXPECT_NE(file.find(std::string(5000 - 2, 'x') + "Z  [MSG_COMMENT]\n"), std::string::npos);
}

TEST_F(LogTest, SecondOpenKeepsFirstFileAndWarnsOnce) {
  std::string other = testenv::MakeTempDir("log") + "/other.log";
  Log::Instance().Open(other.c_str());
  EXPECT_FALSE(testenv::FileExists(other));
  std::string file = FileText();
  EXPECT_NE(file.find("Log already open.. why are you trying to open again?  [MSG_WARNING]\n"),
            std::string::npos);
}

TEST_F(LogTest, BannersGoToStdoutNotTheFileAndClosedLogWritesNothing) {
  Log& log = Log::Instance();
  log.Close();
  testing::internal::CaptureStdout();
  log.Open(path_.c_str());
  LOG_LINE(MSG_INIT) << "inside";
  log.Close();
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out.rfind("--------------------------- SESSION STARTING -------------------------\n Date : ", 0), 0u);
  EXPECT_NE(out.find("--------------------------- SESSION OVER -------------------------"), std::string::npos);

  LOG_LINE(MSG_INIT) << "after close";
  std::string file = FileText();
  EXPECT_NE(file.find("inside"), std::string::npos);
  EXPECT_EQ(file.find("SESSION"), std::string::npos);
  EXPECT_EQ(file.find("after close"), std::string::npos);
  // Lines after the close still reach the callback.
  ASSERT_FALSE(received_.empty());
  EXPECT_NE(received_.back().find("after close"), std::string::npos);
}

}  // namespace
