// The action interpreter, script functions and the built-in objects, through movies the
// writer assembles: what their trace lines say, what they log and what they leave alone.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/swf/action/action_buffer.h"
#include "engine/swf/action/builtins.h"
#include "engine/swf/base/clock.h"
#include "engine/swf/base/limits.h"
#include "tests/swf/PlayerFixture.h"

namespace {

using swftest::Bytes;
using swftest::MovieOfFrames;
using swftest::Played;
using swftest::SwfLogCapture;
using A = swfw::Actions;

// The info lines of the log (trace output), without their line ends.
std::vector<std::string> InfoLines(const SwfLogCapture& log) {
  std::vector<std::string> lines;
  for (const auto& line : log.lines) {
    // Skips the errors and the TextFormat's note of its address.
    if (line.error || line.text.rfind("\tCreated New TextFormat", 0) == 0) continue;
    std::string text = line.text;
    if (!text.empty() && text.back() == '\n') text.pop_back();
    lines.push_back(text);
  }
  return lines;
}

// Plays a movie whose first frame runs the block; answers the trace lines.
std::vector<std::string> RunBlock(const A& actions, SwfLogCapture* log = nullptr, int version = 6) {
  std::optional<SwfLogCapture> own;
  if (!log) own.emplace();
  SwfLogCapture& capture = log ? *log : *own;
  Played p(MovieOfFrames({{swfw::DoAction(actions.Build())}}, version));
  p.root->advance(0.01f);
  return InfoLines(capture);
}

// Pushes the arguments (last first) and their count.
A& Args(A& a, const std::vector<A::PushItem>& args) {
  std::vector<A::PushItem> items(args.rbegin(), args.rend());
  items.push_back(A::Int(static_cast<int32_t>(args.size())));
  return a.Push(items);
}

// subject.method(args) with the subject pushed by the items given; the result stays.
A& CallOn(A& a, const std::vector<A::PushItem>& subject, const std::string& method,
          const std::vector<A::PushItem>& args) {
  Args(a, args).Push(subject);
  return a.Push({A::Str(method)}).Op("CallMethod");
}

// variable.method(args); the result stays.
A& CallOnVar(A& a, const std::string& var, const std::string& method, const std::vector<A::PushItem>& args) {
  Args(a, args).Push({A::Str(var)}).Op("GetVariable");
  return a.Push({A::Str(method)}).Op("CallMethod");
}

A& Trace(A& a) { return a.Op("Trace"); }

struct TraceCase {
  const char* name;
  std::function<void(A&)> build;
  std::vector<std::string> expected;
  const char* error_line = "";
};

void RunTable(const std::vector<TraceCase>& cases) {
  for (const TraceCase& c : cases) {
    SwfLogCapture log;
    A a;
    c.build(a);
    EXPECT_EQ(RunBlock(a, &log), c.expected) << c.name << "\n" << log.All();
    if (c.error_line[0]) {
      EXPECT_EQ(log.Count(c.error_line), 1u) << c.name << "\n" << log.All();
    }
  }
}

TEST(SwfActions, ArithmeticComparisonsAndPushes) {
  RunTable({
      {"Add never joins", [](A& a) { Trace(a.Push({A::Str("1"), A::Int(2)}).Op("Add")); }, {"3"}},
      {"Add2 joins a string right", [](A& a) { Trace(a.Push({A::Str("1"), A::Int(2)}).Op("Add2")); }, {"12"}},
      {"Add2 joins a string left", [](A& a) { Trace(a.Push({A::Int(1), A::Str("2")}).Op("Add2")); }, {"12"}},
      {"Add2 of numbers adds", [](A& a) { Trace(a.Push({A::Int(1), A::Int(2)}).Op("Add2")); }, {"3"}},
      {"Equals null undefined", [](A& a) { Trace(a.Push({A::Null(), A::Undefined()}).Op("Equals")); }, {"true"}},
      {"StrictEquals number string", [](A& a) { Trace(a.Push({A::Int(1), A::Str("1")}).Op("StrictEquals")); },
       {"false"}},
      {"Equals two objects by identity",
       [](A& a) {
         a.Push({A::Int(0), A::Str("Object")}).Op("NewObject").Push({A::Int(0), A::Str("Object")}).Op("NewObject");
         Trace(a.Op("Equals"));
         a.Push({A::Int(0), A::Str("Object")}).Op("NewObject").Op("PushDuplicate");
         Trace(a.Op("StrictEquals"));
       },
       {"false", "true"}},
      {"Less2 with a string left compares bytes",
       [](A& a) { Trace(a.Push({A::Str("10"), A::Int(9)}).Op("Less2")); }, {"true"}},
      {"Less2 of numbers", [](A& a) { Trace(a.Push({A::Int(10), A::Int(9)}).Op("Less2")); }, {"false"}},
      {"Push type 6", [](A& a) { Trace(a.Record(0x96, {6, 0x00, 0x00, 0xF0, 0x3F, 0, 0, 0, 0})); }, {"1"}},
      {"dictionary overrun pushes 0",
       [](A& a) { Trace(a.ConstantPool({"a"}).Push({A::Constant8(5)})); }, {"0"},
       "error: dict_lookup(5) is out of bounds!"},
      {"StoreRegister 4 outside a function2",
       [](A& a) {
         Trace(a.Push({A::Int(7)}).StoreRegister(4));
         Trace(a.Push({A::Register(0)}));
       },
       {"7", "undefined"}, "store_register[4] -- register out of bounds!"},
      {"StringExtract start 2 count 100",
       [](A& a) { Trace(a.Push({A::Str("hello"), A::Int(2), A::Int(100)}).Op("StringExtract")); }, {"ello"}},
      {"StringExtract start 0 and 1 begin alike",
       [](A& a) {
         Trace(a.Push({A::Str("hello"), A::Int(0), A::Int(2)}).Op("StringExtract"));
         Trace(a.Push({A::Str("hello"), A::Int(1), A::Int(2)}).Op("StringExtract"));
       },
       {"he", "he"}},
      {"StringExtract negative count is empty",
       [](A& a) { Trace(a.Push({A::Str("hello"), A::Int(2), A::Int(-3)}).Op("StringExtract")); }, {""}},
      {"CharToAscii of 0xE9", [](A& a) { Trace(a.Push({A::Str("\xE9")}).Op("CharToAscii")); }, {"-23"}},
      {"InitArray pops its elements",
       [](A& a) {
         a.Push({A::Str("below"), A::Int(20), A::Int(10), A::Int(2)}).Op("InitArray");
         a.Push({A::Str("1")}).Op("GetMember");
         Trace(a);
         Trace(a);
       },
       {"20", "below"}},
      {"missing operands are undefined", [](A& a) { Trace(a.Op("Add")); }, {"0"}},
  });
}

TEST(SwfActions, NinthWithAddsNothing) {
  A a;
  // Nine objects, object i with k = i, each a With inside the one before.
  std::vector<A> bodies(10);
  bodies[9].Push({A::Str("k")}).Op("GetVariable").Op("Trace");
  for (int i = 9; i >= 1; --i) {
    A& outer = bodies[static_cast<size_t>(i - 1)];
    outer.Push({A::Int(0), A::Str("Object")}).Op("NewObject").Op("PushDuplicate");
    outer.Push({A::Str("k"), A::Int(i)}).Op("SetMember");
    outer.With(bodies[static_cast<size_t>(i)]);
  }
  EXPECT_EQ(RunBlock(bodies[0]), std::vector<std::string>{"8"});
}

TEST(SwfActions, BranchesStayInsideTheirRange) {
  SwfLogCapture log;
  A a;
  a.Push({A::Str("before")}).Op("Trace").Push({A::Bool(true)}).Record(0x9D, {100, 0});
  a.Push({A::Str("after")}).Op("Trace");
  EXPECT_EQ(RunBlock(a, &log), std::vector<std::string>{"before"});
  EXPECT_EQ(log.Count("branch to offset"), 1u);

  SwfLogCapture back;
  A jump;
  jump.Record(0x99, {0xFA, 0xFF}).Push({A::Str("after")}).Op("Trace");  // to -1
  EXPECT_TRUE(RunBlock(jump, &back).empty());
  EXPECT_EQ(back.Count("branch to offset -1"), 1u);
}

// A movie of three frames: a child clip "c" of two frames, frame labels "two" at 1.
Bytes GotoMovie(const A& frame0) {
  Bytes child = swftest::SpriteOfFrames(5, {{}, {}});
  return MovieOfFrames({{child, swftest::Place(5, 1, "c"), swfw::DoAction(frame0.Build())},
                        {swfw::FrameLabel("two")},
                        {},
                        {},
                        {}});
}

TEST(SwfActions, GotoFrame2ByNumberAndByDigitString) {
  for (const A::PushItem& item : {A::Int(3), A::Str("3")}) {
    A a;
    a.Push({item}).GotoFrame2(false);
    Played p(GotoMovie(a));
    p.root->advance(0.01f);
    EXPECT_EQ(p.sprite()->get_current_frame(), 3);
    EXPECT_EQ(p.sprite()->get_play_state(), swf::movie_interface::STOP);
  }
  A label;
  label.Push({A::Str("two")}).GotoFrame2(true);
  Played p(GotoMovie(label));
  p.root->advance(0.01f);
  EXPECT_EQ(p.sprite()->get_current_frame(), 1);
  EXPECT_EQ(p.sprite()->get_play_state(), swf::movie_interface::PLAY);
}

TEST(SwfActions, EndKeepsTheTargetRunningOffRestoresIt) {
  // End leaves the target the block set; a function body that runs off its end gives
  // the starting target back.
  for (bool with_end : {true, false}) {
    A a;
    if (with_end) {
      a.Push({A::Str("c")}).Op("SetTarget2").Op("End");
    } else {
      A body;
      body.Push({A::Str("c")}).Op("SetTarget2");
      a.DefineFunction("f", {}, body).Op("Pop").Push({A::Int(0), A::Str("f")}).Op("CallFunction").Op("Pop");
    }
    swftest::SwfLogCapture log;
    Played p(GotoMovie(a));
    p.root->advance(0.01f);
    swf::script_environment* env = p.sprite()->get_environment();
    EXPECT_EQ(env->get_target() == p.child("c"), with_end);
  }
}

std::vector<std::string> g_fscommands;
void RecordFsCommand(swf::movie_interface* movie, const char* command, const char* arg) {
  g_fscommands.push_back(std::string(movie ? "root " : "none ") + command + " " + arg);
}

TEST(SwfActions, GetUrlReachesTheFsCommandHookAndLoadFile) {
  g_fscommands.clear();
  swf::register_fscommand_callback(RecordFsCommand);
  A a;
  a.GetURL("FSCommand:quit", "now");
  a.Push({A::Str("FSCommand:show"), A::Str("menu")}).GetURL2(0);
  a.GetURL("other.swf", "nowhere");
  SwfLogCapture log;
  RunBlock(a, &log);
  swf::register_fscommand_callback(nullptr);
  EXPECT_EQ(g_fscommands, (std::vector<std::string>{"root quit now", "root show menu"}));
  EXPECT_EQ(log.Count("get url: target nowhere not found"), 1u);
}

TEST(SwfActions, TargetLeftOnARemovedClipIsNoTarget) {
  // Frame 0 leaves the target on "c" (End); frame 1 removes "c"; its actions then run
  // with no target rather than a freed one.
  A leave;
  leave.Push({A::Str("c")}).Op("SetTarget2").Op("End");
  A after;
  after.Op("NextFrame").Push({A::Str("x"), A::Int(1)}).Op("SetVariable");
  Bytes child = swftest::SpriteOfFrames(5, {{}, {}});
  Played p(MovieOfFrames({{child, swftest::Place(5, 1, "c"), swfw::DoAction(leave.Build())},
                          {swfw::RemoveObject2(1), swfw::DoAction(after.Build())}}));
  p.root->advance(0.01f);
  p.root->advance(0.1f);
  EXPECT_EQ(p.child("c"), nullptr);
  EXPECT_EQ(p.sprite()->get_environment()->get_target(), nullptr);
}

// ---- functions -------------------------------------------------------------------------

TEST(SwfFunctions, DefinitionsCallsAndArguments) {
  RunTable({
      {"a named function is stored and pushed",
       [](A& a) {
         A body;
         body.Push({A::Str("in f")}).Op("Trace");
         a.DefineFunction("f", {}, body).Op("TypeOf").Op("Trace");
         a.Push({A::Int(0), A::Str("f")}).Op("CallFunction").Op("Pop");
       },
       {"function", "in f"}},
      {"extra arguments are ignored, missing ones undeclared",
       [](A& a) {
         A body;
         body.Push({A::Str("a")}).Op("GetVariable").Op("Trace").Push({A::Str("b")}).Op("GetVariable").Op("Trace");
         a.DefineFunction("g", {"a", "b"}, body).Op("Pop");
         Args(a, {A::Int(1), A::Int(2), A::Int(3)}).Push({A::Str("g")}).Op("CallFunction").Op("Pop");
         Args(a, {A::Int(1)}).Push({A::Str("g")}).Op("CallFunction").Op("Pop");
       },
       {"1", "2", "1", "undefined"}},
      {"Return gives the call's result",
       [](A& a) {
         A body;
         body.Push({A::Str("x")}).Op("GetVariable").Push({A::Int(1)}).Op("Add").Op("Return");
         a.DefineFunction("inc", {"x"}, body).Op("Pop");
         Args(a, {A::Int(41)}).Push({A::Str("inc")}).Op("CallFunction").Op("Trace");
       },
       {"42"}},
      {"toString on a number", [](A& a) { Trace(CallOn(a, {A::Int(42)}, "toString", {})); }, {"42"}},
      {"toString on undefined", [](A& a) { Trace(CallOn(a, {A::Undefined()}, "toString", {})); }, {"undefined"},
       "error: call_method 'toString' on invalid object."},
      {"an argument count beyond the stack is clamped",
       [](A& a) {
         A body;
         body.Push({A::Str("in f")}).Op("Trace");
         a.Push({A::Str("kept")}).DefineFunction("f", {}, body).Op("Pop");
         a.Push({A::Double(1e9), A::Str("f")}).Op("CallFunction").Op("Pop").Op("Trace");
       },
       {"in f", "undefined"}},
  });
}

TEST(SwfFunctions, Function2Flags) {
  // Register 1 after the flags' preloads, "this" and "arguments" as variables.
  auto probe = [](uint16_t flags, uint8_t registers) {
    A body;
    body.Push({A::Register(1)}).Op("TypeOf").Op("Trace");
    body.Push({A::Str("arguments")}).Op("GetVariable").Op("TypeOf").Op("Trace");
    A a;
    a.DefineFunction2("f", registers, flags, {}, body).Op("Pop");
    Args(a, {A::Str("first")}).Push({A::Str("f")}).Op("CallFunction").Op("Pop");
    SwfLogCapture log;
    std::vector<std::string> lines = RunBlock(a, &log);
    lines.push_back(std::to_string(log.Count("TODO: implement 'super'")));
    return lines;
  };
  EXPECT_EQ(probe(0x0001, 1), (std::vector<std::string>{"object", "object", "1"}));  // this in r1
  EXPECT_EQ(probe(0x0004 | 0x0008 | 0x0020, 1), (std::vector<std::string>{"object", "undefined", "0"}));
  EXPECT_EQ(probe(0x0000, 0), (std::vector<std::string>{"undefined", "object", "1"}));

  // The argument object in register 1 holds the arguments; "this" is declared unless
  // suppressed (a local shadows the clip's own variable of that name).
  A body;
  body.Push({A::Register(1), A::Str("0")}).Op("GetMember").Op("Trace");
  body.Push({A::Str("this")}).Op("GetVariable").Op("TypeOf").Op("Trace");
  A a;
  a.DefineFunction2("f", 1, 0x0004 | 0x0002 | 0x0020, {}, body).Op("Pop");
  Args(a, {A::Str("first")}).Push({A::Str("f")}).Op("CallFunction").Op("Pop");
  EXPECT_EQ(RunBlock(a), (std::vector<std::string>{"first", "object"}));
}

TEST(SwfFunctions, Function2BodyAddressesOnlyItsOwnRegisters) {
  // The caller's register 1 must survive a callee that stores to register 2 of 1.
  A inner;
  inner.Push({A::Str("clobber")}).StoreRegister(2).Op("Pop");
  A outer;
  outer.Push({A::Str("mine")}).StoreRegister(1).Op("Pop");
  outer.Push({A::Int(0), A::Str("inner")}).Op("CallFunction").Op("Pop");
  outer.Push({A::Register(1)}).Op("Trace");
  A a;
  a.DefineFunction2("inner", 1, 0x0002 | 0x0008 | 0x0020, {}, inner).Op("Pop");
  a.DefineFunction2("outer", 1, 0x0002 | 0x0008 | 0x0020, {}, outer).Op("Pop");
  a.Push({A::Int(0), A::Str("outer")}).Op("CallFunction").Op("Pop");
  SwfLogCapture log;
  EXPECT_EQ(RunBlock(a, &log), std::vector<std::string>{"mine"});
  EXPECT_EQ(log.Count("Invalid local register 2, stack only has 1 entries"), 1u);
}

TEST(SwfFunctions, NewObjectHidesItsConstructorFromEnumerate) {
  A ctor;
  A a;
  a.DefineFunction("C", {}, ctor).Op("Pop");
  a.Push({A::Str("o"), A::Int(0), A::Str("C")}).Op("NewObject").Op("SetVariable");
  a.Push({A::Str("o")}).Op("GetVariable").Push({A::Str("x"), A::Int(1)}).Op("SetMember");
  a.Push({A::Str("o")}).Op("Enumerate").Op("Trace").Op("Trace");
  a.Push({A::Str("o")}).Op("GetVariable").Push({A::Str("constructor")}).Op("GetMember").Op("TypeOf").Op("Trace");
  EXPECT_EQ(RunBlock(a), (std::vector<std::string>{"x", "null", "function"}));
}

TEST(SwfFunctions, CallMethodParsedPassesArgumentsInOrder) {
  A body;
  body.Push({A::Str("a")}).Op("GetVariable").Push({A::Str("|")}).Op("Add2");
  body.Push({A::Str("b")}).Op("GetVariable").Op("Add2").Op("Return");
  A a;
  a.DefineFunction("f", {"a", "b"}, body).Op("Pop");
  Played p(MovieOfFrames({{swfw::DoAction(a.Build())}}));
  p.root->advance(0.01f);
  SwfLogCapture log;
  const char* result = p.root->call_method("f", "%d, %s", 5, "x");
  ASSERT_NE(result, nullptr);
  EXPECT_STREQ(result, "5|x");
  EXPECT_EQ(log.Count("FIXME(449): swf::call_method_parsed"), 1u);
  p.root->call_method("f", "%q");
  EXPECT_EQ(log.Count("invalid fmt '%q'"), 1u);
}

// ---- built-ins -------------------------------------------------------------------------

TEST(SwfBuiltins, OneGlobalSharedByTwoMovies) {
  A first;
  first.Push({A::Str("_global")}).Op("GetVariable").Push({A::Str("shared"), A::Str("yes")}).Op("SetMember");
  // The first movie stays alive: with the last movie, what scripts stored goes.
  Played kept(MovieOfFrames({{swfw::DoAction(first.Build())}}));
  kept.root->advance(0.01f);
  A second;
  second.Push({A::Str("shared")}).Op("GetVariable").Op("Trace");
  EXPECT_EQ(RunBlock(second), std::vector<std::string>{"yes"});
}

A& Member(A& a, const std::string& object, const std::string& member) {
  return a.Push({A::Str(object)}).Op("GetVariable").Push({A::Str(member)}).Op("GetMember");
}

TEST(SwfBuiltins, MathKeyArrayAndTrace) {
  RunTable({
      {"Math.PI in three spellings",
       [](A& a) {
         Trace(Member(a, "Math", "PI"));
         Trace(Member(a, "math", "pi"));
         Trace(Member(a, "MATH", "Pi"));
       },
       {"3.1415926535898", "3.1415926535898", "3.1415926535898"}},
      {"Key.PGUP and PGDN",
       [](A& a) {
         Trace(Member(a, "Key", "PGUP"));
         Trace(Member(a, "Key", "PGDN"));
       },
       {"34", "33"}},
      {"Math.round, max and min",
       [](A& a) {
         Trace(CallOnVar(a, "Math", "round", {A::Double(-2.5)}));
         Trace(CallOnVar(a, "Math", "max", {A::Int(1), A::Double(NAN)}));
         Trace(CallOnVar(a, "Math", "min", {A::Double(NAN), A::Int(1)}));
         Trace(CallOnVar(a, "Math", "abs", {}));
       },
       {"-2", "nan", "1", "nan"}},
      {"Key.isDown bounds",
       [](A& a) {
         Trace(CallOnVar(a, "Key", "isDown", {A::Int(223)}));
         Trace(CallOnVar(a, "Key", "isDown", {A::Int(-1)}));
         Trace(CallOnVar(a, "Key", "isDown", {A::Int(32)}));
       },
       {"false", "false", "false"}},
      {"Key.isDown without its argument", [](A& a) { CallOnVar(a, "Key", "isDown", {}).Op("Pop"); }, {},
       "key_is_down needs one argument (the key code)"},
      {"Key.addListener without its argument", [](A& a) { CallOnVar(a, "Key", "addListener", {}).Op("Pop"); }, {},
       "key_add_listener needs one argument (the listener object)"},
      {"the Array cases",
       [](A& a) {
         Args(a, {A::Int(5)}).Push({A::Str("Array")}).Op("NewObject").Push({A::Str("0")}).Op("GetMember");
         Trace(a);
         Args(a, {A::Int(5), A::Int(6)}).Push({A::Str("Array")}).Op("NewObject").Op("PushDuplicate");
         Trace(a.Push({A::Str("0")}).Op("GetMember"));
         Trace(a.Push({A::Str("1")}).Op("GetMember"));
         Args(a, {A::Str("a")}).Push({A::Str("Array")}).Op("NewObject").Push({A::Str("0")}).Op("GetMember");
         Trace(a);
       },
       {"undefined", "5", "6", "a"}},
      {"trace calls toString",
       [](A& a) {
         A body;
         body.Push({A::Str("x")}).Op("Return");
         a.Push({A::Int(0), A::Str("Object")}).Op("NewObject").Op("PushDuplicate");
         a.Push({A::Str("toString")}).DefineFunction("", {}, body).Op("SetMember");
         Trace(a);
         Trace(a.Push({A::Int(0), A::Str("Object")}).Op("NewObject"));
       },
       {"x", "[object Object]"}},
      {"TextFormat makes setTextFormat a variable of the clip",
       [](A& a) {
         a.Push({A::Int(0), A::Str("TextFormat")}).Op("NewObject").Op("Pop");
         Trace(a.Push({A::Str("setTextFormat")}).Op("GetVariable").Op("TypeOf"));
       },
       {"function"}},
      {"a sound never attached plays nothing",
       [](A& a) {
         a.Push({A::Str("s"), A::Int(0), A::Str("Sound")}).Op("NewObject").Op("SetVariable");
         CallOnVar(a, "s", "attachSound", {A::Str("missing")}).Op("Pop");
         CallOnVar(a, "s", "start", {}).Op("Pop");
       },
       {}, "import error: resource 'missing' is not exported"},
      {"getProgress reports 0 of 0",
       [](A& a) {
         a.Push({A::Str("l"), A::Int(0), A::Str("MovieClipLoader")}).Op("NewObject").Op("SetVariable");
         CallOnVar(a, "l", "getProgress", {}).Op("PushDuplicate");
         Trace(a.Push({A::Str("bytesLoaded")}).Op("GetMember"));
         Trace(a.Push({A::Str("bytesTotal")}).Op("GetMember"));
       },
       {"swf::moviecliploader_new: args=0", "swf::MovieClipLoader::MovieClipLoader: ", "0", "0"}},
  });
}

TEST(SwfBuiltins, StringMethods) {
  const std::string hello = "h\xC3\xA9llo";
  struct Case {
    const char* method;
    std::vector<A::PushItem> args;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"charCodeAt", {A::Int(1)}, "233"},
      {"charAt", {A::Int(1)}, "\xC3\xA9"},
      {"CHARAT", {A::Int(0)}, "h"},
      {"charAt", {A::Int(9)}, ""},
      {"substring", {A::Int(1), A::Int(3)}, "\xC3\xA9l"},
      {"substring", {A::Int(3), A::Int(1)}, "\xC3\xA9l"},
      {"substring", {A::Int(-5)}, hello},
      {"toUpperCase", {}, "H\xC3\xA9LLO"},
      {"indexOf", {A::Str("l")}, "2"},
      {"indexOf", {A::Str("l"), A::Int(4)}, "3"},
      {"indexOf", {A::Str("z")}, "-1"},
      {"indexOf", {A::Str("h"), A::Int(99)}, "-1"},
      {"lastIndexOf", {A::Str("l")}, "undefined"},
  };
  for (const Case& c : cases) {
    A a;
    Trace(CallOn(a, {A::Str(hello)}, c.method, c.args));
    EXPECT_EQ(RunBlock(a), std::vector<std::string>{c.expected}) << c.method;
  }
  A a;
  Trace(CallOnVar(a, "String", "fromCharCode", {A::Int(72), A::Int(105)}));
  Trace(CallOn(a, {A::Str("hello")}, "indexOf", {A::Str("l"), A::Int(3)}));
  EXPECT_EQ(RunBlock(a), (std::vector<std::string>{"Hi", "3"}));
}

// ---- movies the way help movies are made -----------------------------------------------

TEST(SwfHelpMovies, ClipEventsAndAClipMovedByAFunction) {
  // Clip "c" gets onLoad and onEnterFrame handlers; a root function moves it.
  A move_body;
  move_body.Push({A::Str("c"), A::Int(0)}).Push({A::Str("x")}).Op("GetVariable").Op("SetProperty");
  A frame0;
  frame0.DefineFunction("moveTo", {"x"}, move_body).Op("Pop");
  frame0.Push({A::Int(100), A::Int(1), A::Str("moveTo")}).Op("CallFunction").Op("Pop");

  swfw::PlaceObject2Record r;
  r.depth = 1;
  r.characterId = 5;
  r.name = "c";
  A on_load;
  on_load.Push({A::Str("loaded")}).Op("Trace");
  A on_enter;
  on_enter.Push({A::Str("enter")}).Op("Trace");
  r.clipActions.push_back({0x0001, on_load.Build(), {}});  // load
  r.clipActions.push_back({0x0002, on_enter.Build(), {}});  // enter frame
  r.hasClipActions = true;
  Bytes child = swftest::SpriteOfFrames(5, {{}});
  SwfLogCapture log;
  Played p(MovieOfFrames({{child, swfw::PlaceObject2(r, 6), swfw::DoAction(frame0.Build())}, {}}));
  p.root->advance(0.01f);
  p.root->advance(0.1f);
  std::vector<std::string> lines = InfoLines(log);
  EXPECT_NE(std::find(lines.begin(), lines.end(), "loaded"), lines.end()) << log.All();
  EXPECT_NE(std::find(lines.begin(), lines.end(), "enter"), lines.end()) << log.All();
  ASSERT_NE(p.child("c"), nullptr);
  EXPECT_FLOAT_EQ(p.child("c")->get_matrix().m_[0][2], 2000.0f);
}

TEST(SwfHelpMovies, ButtonReleaseRunsGotoAndPlay) {
  A release;
  release.Push({A::Str("two")}).GotoFrame2(true);
  swfw::ButtonRecord rec;
  rec.hitTest = rec.down = rec.over = rec.up = true;
  rec.characterId = 9;
  Bytes button = swfw::DefineButton2(7, false, {rec}, {{0x0008, release.Build()}});  // over-down to over-up
  A stop;
  stop.Op("Stop");
  Played p(MovieOfFrames({{button, swftest::Place(7, 1, "b"), swfw::DoAction(stop.Build())},
                          {swfw::FrameLabel("two")},
                          {}}),
           {{9, swftest::SquareBox(9)}});
  p.root->advance(0.01f);
  EXPECT_EQ(p.sprite()->get_current_frame(), 0);
  for (int buttons : {0, 1, 0}) {
    p.root->notify_mouse_state(10, 10, buttons);
    p.root->advance(0);
  }
  p.root->advance(0.1f);  // the queued release actions run with the frame
  EXPECT_EQ(p.sprite()->get_current_frame(), 1);
  EXPECT_EQ(p.sprite()->get_play_state(), swf::movie_interface::PLAY);
}

// ---- runaway movies --------------------------------------------------------------------

struct Runaway {
  const char* name;
  std::function<void(A&)> build;
  const char* line;
};

TEST(SwfRunaway, EachEndsWithItsLineAndTheNextFrameRuns) {
  const std::vector<Runaway> cases = {
      {"while (true)", [](A& a) { a.Label("top").Jump("top"); }, "actions in one frame"},
      {"endless recursion",
       [](A& a) {
         A body;
         body.Push({A::Int(0), A::Str("f")}).Op("CallFunction").Op("Pop");
         body.Push({A::Int(0), A::Str("f")}).Op("CallFunction").Op("Pop");
         a.DefineFunction("f", {}, body).Op("Pop").Push({A::Int(0), A::Str("f")}).Op("CallFunction").Op("Pop");
       },
       "nested deeper than"},
      {"a jump to -1", [](A& a) { a.Record(0x99, {0xFA, 0xFF}); }, "branch to offset -1"},
      {"an argument count of 1e9",
       [](A& a) {
         a.DefineFunction("f", {}, A()).Op("Pop").Push({A::Double(1e9), A::Str("f")}).Op("CallFunction").Op("Pop");
         a.Label("top").Push({A::Double(1e9), A::Str("f")}).Op("CallFunction").Op("Pop").Jump("top");
       },
       "actions in one frame"},
      {"a text doubled in a loop",
       [](A& a) {
         a.Push({A::Str("s"), A::Str("x")}).Op("SetVariable").Label("top");
         a.Push({A::Str("s"), A::Str("s")}).Op("GetVariable").Push({A::Str("s")}).Op("GetVariable");
         a.Op("Add2").Op("SetVariable").Jump("top");
       },
       "a text would pass"},
      {"objects made without end",
       [](A& a) {
         a.Label("top").Push({A::Str("head"), A::Int(0), A::Str("Object")}).Op("NewObject").Op("PushDuplicate");
         a.Push({A::Str("next"), A::Str("head")}).Op("GetVariable").Op("SetMember").Op("SetVariable").Jump("top");
       },
       "actions in one frame"},
  };
  for (const Runaway& c : cases) {
    SwfLogCapture log;
    A a;
    c.build(a);
    A next;
    next.Push({A::Str("next frame")}).Op("Trace");
    Played p(MovieOfFrames({{swfw::DoAction(a.Build())}, {swfw::DoAction(next.Build())}}));
    p.root->advance(0.01f);
    EXPECT_LE(swf::get_actions_run_in_frame(), swf::limits::kMaxActionsPerFrame) << c.name;
    p.root->advance(0.1f);
    EXPECT_LE(swf::get_actions_run_in_frame(), swf::limits::kMaxActionsPerFrame) << c.name;
    EXPECT_GE(log.Count(c.line), 1u) << c.name << "\n" << log.All().substr(0, 2000);
    std::vector<std::string> lines = InfoLines(log);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "next frame"), lines.end()) << c.name;
  }
  EXPECT_LE(swf::get_live_script_object_count(), swf::limits::kMaxLiveScriptObjects);
}

// The last guard: a frame whose actions run past the time limit by the script clock ends
// there with its line, with most of its budget left; the next frame starts its time afresh
// and runs.
TEST(SwfRunaway, TheScriptClockEndsAFrameThatRunsTooLong) {
  static double now = 0.0;
  const swf::script_clock_callback previous = swf::get_script_clock_callback();
  // Each reading of the clock finds it a tenth of a second later.
  swf::register_script_clock_callback([] { return now += 0.1; });
  SwfLogCapture log;
  A forever;
  forever.Label("top").Jump("top");
  A next;
  next.Push({A::Str("next frame")}).Op("Trace");
  Played p(MovieOfFrames({{swfw::DoAction(forever.Build())}, {swfw::DoAction(next.Build())}}));
  p.root->advance(0.01f);
  const swf::action_frame_counts ended = swf::get_action_frame_counts();
  EXPECT_TRUE(ended.clock_stopped);
  EXPECT_FALSE(ended.budget_spent);
  EXPECT_GT(ended.units, 0);
  EXPECT_LT(ended.units, swf::limits::kMaxActionsPerFrame / 10);
  EXPECT_EQ(log.Count("error: a frame's actions ran for more than 1000 ms; the frame's remaining actions are "
                      "dropped\n"),
            1u)
      << log.All();
  p.root->advance(0.1f);
  EXPECT_FALSE(swf::get_action_frame_counts().clock_stopped);
  std::vector<std::string> lines = InfoLines(log);
  EXPECT_NE(std::find(lines.begin(), lines.end(), "next frame"), lines.end()) << log.All();
  swf::register_script_clock_callback(previous);
}

TEST(SwfRunaway, TwoFramesThatJumpToEachOther) {
  A to1;
  to1.GotoFrame(1);
  A to0;
  to0.GotoFrame(0);
  SwfLogCapture log;
  Played p(MovieOfFrames({{swfw::DoAction(to1.Build())}, {swfw::DoAction(to0.Build())}}));
  for (int i = 0; i < 3; ++i) {
    p.root->advance(0.1f);
    EXPECT_LE(swf::get_actions_run_in_frame(), swf::limits::kMaxActionsPerFrame);
  }
  EXPECT_GE(log.Count("error:"), 1u) << log.All().substr(0, 2000);
}

// The objects hang on one another by their prototypes, which take no member table: the
// count of live objects stops them before the bytes their movie may hold do.
TEST(SwfRunaway, ObjectsAreBoundedAcrossFrames) {
  A a;
  a.Label("top").Push({A::Str("head"), A::Int(0), A::Str("Object")}).Op("NewObject").Op("PushDuplicate");
  a.Push({A::Str("prototype"), A::Str("head")}).Op("GetVariable").Op("SetMember").Op("SetVariable").Jump("top");
  SwfLogCapture log;
  {
    Played p(MovieOfFrames({{swfw::DoAction(a.Build())}, {swfw::DoAction(a.Build())}}));
    for (int i = 0; i < 12; ++i) p.root->advance(0.1f);
    EXPECT_LE(swf::get_live_script_object_count(), swf::limits::kMaxLiveScriptObjects);
    EXPECT_GE(log.Count("script objects are alive"), 1u);
  }
  // The chain was released without the native stack going as deep as the chain.
  EXPECT_LT(swf::get_live_script_object_count(), 1000);
}

}  // namespace
