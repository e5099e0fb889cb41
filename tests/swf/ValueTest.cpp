// Script values, objects and the environment: conversions, equality, members and the
// prototype chain, paths and variables, properties, constant pools, and numbers that
// read and print the same under any locale.

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <string>

#include "engine/swf/action/action_buffer.h"
#include "engine/swf/action/environment.h"
#include "engine/swf/action/script_value.h"
#include "tests/swf/PlayerFixture.h"

namespace {

using swf::script_object;
using swf::script_value;
using swf::string;
using swftest::Bytes;
using swftest::Concat;
using swftest::SwfLogCapture;

std::string Str(const script_value& v) { return v.to_string().c_str(); }

TEST(SwfValue, ConversionsFollowTheirTables) {
  struct Case {
    script_value value;
    double number;
    bool truth;
    const char* text;
  };
  swf::smart_ptr<script_object> object(new script_object);
  const Case cases[] = {
      {script_value("12abc"), 0.0, false, "12abc"},
      {script_value(""), 0.0, false, ""},
      {script_value("abc"), 0.0, false, "abc"},
      {script_value(" 12"), 12.0, true, " 12"},
      {script_value("1e3"), 1000.0, true, "1e3"},
      {script_value("0"), 0.0, false, "0"},
      {script_value("false"), 0.0, false, "false"},
      {script_value("FALSE"), 0.0, false, "FALSE"},
      {script_value("true"), 0.0, true, "true"},
      {script_value("TRUE"), 0.0, false, "TRUE"},
      {script_value(0.1), 0.1, true, "0.1"},
      {script_value(1.0 / 3.0), 1.0 / 3.0, true, "0.33333333333333"},
      {script_value(1e20), 1e20, true, "1e+20"},
      {script_value(true), 1.0, true, "true"},
      {script_value(), 0.0, false, "undefined"},
      {[] { script_value v; v.set_null(); return v; }(), 0.0, false, "null"},
      {script_value(object.get_ptr()), 0.0, true, "[object Object]"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.value.to_number(), c.number) << Str(c.value);
    EXPECT_EQ(c.value.to_bool(), c.truth) << Str(c.value);
    EXPECT_EQ(Str(c.value), c.text);
  }
}

TEST(SwfValue, DivisionByZeroPrintsAsTheCFormatDoes) {
  auto printed = [](double d) {
    char buffer[50];
    std::snprintf(buffer, sizeof(buffer), "%.14g", d);
    return std::string(buffer);
  };
  for (double left : {1.0, -1.0, 0.0}) {
    script_value v(left);
    v.divide(script_value(0));
    EXPECT_EQ(Str(v), printed(left / 0.0));
    EXPECT_TRUE(v.to_bool()) << Str(v);  // infinities and NaN are true
  }
}

TEST(SwfValue, UndefinedPrintsEmptyUpToVersionSix) {
  script_value undefined;
  EXPECT_EQ(std::string(undefined.to_string_versioned(6).c_str()), "");
  EXPECT_EQ(std::string(undefined.to_string_versioned(7).c_str()), "undefined");
  EXPECT_EQ(std::string(script_value(2).to_string_versioned(6).c_str()), "2");
}

TEST(SwfValue, EqualityIsDecidedByTheLeftSideAndObjectsByIdentity) {
  swf::smart_ptr<script_object> a(new script_object);
  swf::smart_ptr<script_object> b(new script_object);
  swf::smart_ptr<swf::as_function> f(new swf::as_function);
  swf::smart_ptr<swf::as_function> g(new swf::as_function);
  script_value null_value;
  null_value.set_null();
  struct Case {
    script_value left, right;
    bool equal;
  };
  const Case cases[] = {
      {script_value(1), script_value("1.0"), true},
      {script_value("1.0"), script_value(1), false},
      {script_value(), null_value, true},
      {script_value(), script_value(0), false},
      {null_value, script_value(""), false},
      {script_value(std::nan("")), script_value(std::nan("")), false},
      {script_value(true), script_value("1"), true},
      {script_value(a.get_ptr()), script_value(a.get_ptr()), true},
      {script_value(a.get_ptr()), script_value(b.get_ptr()), false},
      {script_value(f.get_ptr()), script_value(f.get_ptr()), true},
      {script_value(f.get_ptr()), script_value(g.get_ptr()), false},
      {script_value(a.get_ptr()), script_value(f.get_ptr()), false},
      {script_value(&swftest::CountCall), script_value(&swftest::CountCall), true},
  };
  for (const Case& c : cases) EXPECT_EQ(c.left.equals(c.right), c.equal) << Str(c.left) << " == " << Str(c.right);
  EXPECT_FALSE(script_value(std::nan("")).less_than(script_value(1)));
  EXPECT_TRUE(script_value("2").less_than(script_value(10)));
}

TEST(SwfValue, BitwiseOperationsWrapAsThirtyTwoBitIntegers) {
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    double left;
    double right;
    const char* op;
    double result;
  };
  const Case cases[] = {
      {std::nan(""), 1, "or", 1},          {inf, 0, "or", 0},
      {-inf, 7, "and", 0},                 {4294967296.0 + 5, 0, "or", 5},
      {2147483648.0, 0, "or", -2147483648.0}, {-1.9, 0, "or", -1},
      {1, 31, "shl", -2147483648.0},       {1, 33, "shl", 2},
      {-8, 1, "sar", -4},                  {-1, 0, "shr", 4294967295.0},
      {6, 3, "xor", 5},                    {1e300, 1, "and", 0},
  };
  for (const Case& c : cases) {
    script_value v(c.left);
    std::string op = c.op;
    if (op == "or") v.bitwise_or(script_value(c.right));
    if (op == "and") v.bitwise_and(script_value(c.right));
    if (op == "xor") v.bitwise_xor(script_value(c.right));
    if (op == "shl") v.shift_left(script_value(c.right));
    if (op == "sar") v.shift_right(script_value(c.right));
    if (op == "shr") v.shift_right_unsigned(script_value(c.right));
    EXPECT_EQ(v.to_number(), c.result) << c.left << " " << op << " " << c.right;
  }
  script_value joined(12);
  joined.string_concat("ab");
  EXPECT_EQ(Str(joined), "12ab");
}

TEST(SwfValue, MembersReadThroughThePrototypeAndWriteToTheObject) {
  swf::smart_ptr<script_object> proto(new script_object);
  swf::smart_ptr<script_object> o(new script_object(proto.get_ptr()));
  proto->set_member("shared", script_value(1));
  script_value v;
  ASSERT_TRUE(o->get_member("SHARED", &v));  // names compare without case
  EXPECT_EQ(v.to_number(), 1);
  o->set_member("shared", script_value(2));
  proto->get_member("shared", &v);
  EXPECT_EQ(v.to_number(), 1);

  // "PROTOTYPE" of an object without one: an object value with no object.
  swf::smart_ptr<script_object> bare(new script_object);
  ASSERT_TRUE(bare->get_member("PROTOTYPE", &v));
  EXPECT_EQ(v.get_type(), script_value::OBJECT);
  EXPECT_EQ(Str(v), "[object Object]");
  EXPECT_FALSE(v.to_bool());

  // Setting "prototype" to a number clears it.
  o->set_member("prototype", script_value(5));
  EXPECT_EQ(o->get_prototype(), nullptr);
  EXPECT_FALSE(o->get_member("shared2", &v));
}

TEST(SwfValue, ReadOnlyAndProtectedMembersKeepWhatTheyHold) {
  swf::smart_ptr<script_object> o(new script_object);
  o->set_member("fixed", script_value(1));
  ASSERT_TRUE(o->set_member_flags("fixed", swf::script_member::READ_ONLY));
  o->set_member("fixed", script_value(2));
  script_value v;
  o->get_member("fixed", &v);
  EXPECT_EQ(v.to_number(), 1);
  EXPECT_FALSE(o->set_member_flags("missing", 4));

  // A protected member answers true but keeps its flags.
  o->set_member("guarded", script_value(1));
  o->set_member_flags("guarded", 1);
  o->protect_member("guarded");
  EXPECT_TRUE(o->set_member_flags("guarded", swf::script_member::READ_ONLY));
  swf::script_member m;
  ASSERT_TRUE(o->get_own_member("guarded", &m));
  EXPECT_EQ(m.m_flags, 1u);
  o->set_member("guarded", script_value(2));
  o->get_member("guarded", &v);
  EXPECT_EQ(v.to_number(), 2);
}

TEST(SwfValue, APrototypeCycleEndsTheSearchWithALogLine) {
  SwfLogCapture log;
  swf::smart_ptr<script_object> o(new script_object);
  swf::smart_ptr<script_object> p(new script_object);
  o->set_member("prototype", script_value(p.get_ptr()));
  p->set_member("prototype", script_value(o.get_ptr()));
  script_value v;
  EXPECT_FALSE(o->get_member("nothing", &v));
  EXPECT_EQ(log.Count("error: prototype chain deeper than 64 objects; member 'nothing' not found\n"), 1u)
      << log.All();
  // Break the cycle so that both objects go.
  p->set_member("prototype", script_value());

  swf::smart_ptr<script_object> self(new script_object);
  self->set_member("prototype", script_value(self.get_ptr()));
  EXPECT_FALSE(self->get_member("x", &v));
  self->set_member("prototype", script_value());
}

TEST(SwfValue, AScriptFunctionHandsOutItsPropertiesObject) {
  swf::smart_ptr<swf::as_function> f(new swf::as_function);
  script_value fv(f.get_ptr());
  script_object* props = fv.to_object();
  ASSERT_NE(props, nullptr);
  EXPECT_EQ(fv.to_object(), props);
  script_value proto;
  ASSERT_TRUE(props->get_member("prototype", &proto));
  EXPECT_NE(proto.to_object(), nullptr);
  EXPECT_EQ(script_value(3).to_object(), nullptr);
  EXPECT_EQ(fv.to_c_function(), nullptr);
  EXPECT_EQ(fv.to_as_function(), f.get_ptr());
}

// Numbers read and print as in the "C" locale under a German LC_NUMERIC (built from the
// system's locale sources when none is installed).
TEST(SwfValue, NumbersIgnoreTheProcessLocale) {
  std::string previous = std::setlocale(LC_NUMERIC, nullptr);
  const char* german = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
  if (!german) {
    std::filesystem::path dir = std::filesystem::temp_directory_path() / "swf_locale";
    std::filesystem::create_directories(dir);
    std::string command = "localedef -i de_DE -f UTF-8 " + (dir / "de_DE.UTF-8").string() + " >/dev/null 2>&1";
    if (std::system(command.c_str()) == 0 || std::filesystem::exists(dir / "de_DE.UTF-8")) {
      setenv("LOCPATH", dir.c_str(), 1);
      german = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    }
  }
  if (!german) GTEST_SKIP() << "no German locale can be made here";
  char probe[16];
  std::snprintf(probe, sizeof(probe), "%.1f", 1.5);
  EXPECT_EQ(std::string(probe), "1,5");  // the locale is really in effect

  EXPECT_EQ(script_value("1.5").to_number(), 1.5);
  EXPECT_EQ(script_value("1,5").to_number(), 0.0);
  EXPECT_EQ(Str(script_value(1.5)), "1.5");
  double parsed = 0;
  EXPECT_TRUE(swf::script_text::is_number("2.25", &parsed));
  EXPECT_EQ(parsed, 2.25);
  std::setlocale(LC_NUMERIC, previous.c_str());
}

// ---- the environment ---------------------------------------------------------------------

TEST(SwfEnvironment, PathsSplitAtTheFirstColonElseTheLastDot) {
  struct Case {
    const char* text;
    bool has_path;
    const char* path;
    const char* name;
  };
  const Case cases[] = {
      {"/a/b:c", true, "/a/b", "c"},  {"a.b.c", true, "a.b", "c"},     {"_parent/:x", true, "_parent", "x"},
      {".x", true, "", "x"},          {"_root.a.b", true, "_root.a", "b"}, {"a:b.c", true, "a", "b.c"},
      {"/:x", true, "", "x"},         {"plain", false, "", ""},
  };
  for (const Case& c : cases) {
    string path, name;
    EXPECT_EQ(swf::script_environment::parse_path(c.text, &path, &name), c.has_path) << c.text;
    if (!c.has_path) continue;
    EXPECT_EQ(std::string(path.c_str()), c.path) << c.text;
    EXPECT_EQ(std::string(name.c_str()), c.name) << c.text;
  }
}

// A root with the clip "a" holding the clip "b"; each sprite holds a variable x naming it.
class SwfTree : public ::testing::Test {
 protected:
  SwfTree()
      : played_(swftest::MovieOfFrames({{swftest::SpriteOfFrames(2, {{}}),
                                         swftest::SpriteOfFrames(3, {{swftest::Place(2, 1, "b")}}),
                                         swftest::Place(3, 1, "a")}})) {
    played_.root->advance(0);
    root_ = played_.sprite();
    a_ = played_.child("a");
    b_ = a_ ? static_cast<swf::sprite_instance*>(a_)->get_display_list().get_character_by_name("b") : nullptr;
    root_->set_member("x", script_value("root"));
    if (a_) a_->set_member("x", script_value("a"));
    if (b_) b_->set_member("x", script_value("b"));
  }
  swf::script_environment& env_of(swf::character* ch) {
    return *static_cast<swf::sprite_instance*>(ch)->get_environment();
  }

  swftest::Played played_;
  swf::sprite_instance* root_ = nullptr;
  swf::character* a_ = nullptr;
  swf::character* b_ = nullptr;
};

TEST_F(SwfTree, TargetsAndVariablesResolveAlongPaths) {
  ASSERT_TRUE(a_ && b_);
  SwfLogCapture log;
  swf::script_environment& at_a = env_of(a_);
  swf::script_environment& at_b = env_of(b_);
  swf::scope_chain none;
  struct Case {
    swf::script_environment* env;
    const char* text;
    const char* value;
  };
  const Case cases[] = {
      {&at_a, "_root.a.b.x", "b"}, {&at_b, "/a:x", "a"},      {&at_b, "/:x", "b"},   {&at_b, "..:x", "a"},
      {&at_b, "../../a/b:x", "b"}, {&at_a, "b.x", "b"},       {&at_a, "this.x", "a"}, {&at_a, "_root.x", "root"},
      {&at_b, "x", "b"},           {&at_a, "_level0.a.x", "a"},
  };
  for (const Case& c : cases) EXPECT_EQ(Str(c.env->get_variable(c.text, none)), c.value) << c.text;
  EXPECT_TRUE(log.lines.empty()) << log.All();

  EXPECT_EQ(at_a.find_target(string("a//b")), nullptr);  // from a, "a" names nothing
  EXPECT_EQ(env_of(root_).find_target(string("a//b")), a_);
  EXPECT_EQ(log.Count("error: invalid path 'a//b'\n"), 1u) << log.All();

  EXPECT_TRUE(at_a.get_variable("nothing.x", none).is_undefined());
  EXPECT_TRUE(log.Contains("find_target(\"nothing\") failed\n")) << log.All();

  at_b.set_variable("/a:y", script_value(7), none);
  script_value y;
  ASSERT_TRUE(a_->get_member("y", &y));
  EXPECT_EQ(y.to_number(), 7);
  at_b.set_variable("nowhere:y", script_value(8), none);  // nothing is written
}

TEST_F(SwfTree, LocalsHideTheTargetButNotTheScopeChain) {
  ASSERT_TRUE(a_);
  swf::script_environment& env = env_of(a_);
  swf::scope_chain none;
  EXPECT_EQ(Str(env.get_variable_raw("x", none)), "a");
  env.set_local_frame();
  env.declare_local("x");
  env.set_local("x", script_value("local"));
  EXPECT_EQ(Str(env.get_variable_raw("x", none)), "local");

  swf::smart_ptr<script_object> with(new script_object);
  with->set_member("x", script_value("with"));
  swf::scope_chain chain;
  chain.push_back(swf::with_stack_entry(with.get_ptr(), 100));
  EXPECT_EQ(Str(env.get_variable_raw("x", chain)), "with");
  env.set_variable_raw("x", script_value("to with"), chain);
  EXPECT_EQ(Str(env.get_variable_raw("x", chain)), "to with");
  EXPECT_EQ(Str(env.get_variable_raw("x", none)), "local");

  // A new frame hides the locals of the one below it.
  env.set_local_frame();
  EXPECT_EQ(Str(env.get_variable_raw("x", none)), "a");
  env.set_local_frame_top(0);

  // Only "this" in lower case names the target.
  EXPECT_EQ(env.get_variable_raw("this", none).to_character(), a_);
  EXPECT_TRUE(env.get_variable_raw("THIS", none).is_undefined());
  EXPECT_EQ(env.get_variable_raw("_root", none).to_character(), root_);
  EXPECT_NE(env.get_variable_raw("_global", none).to_object(), nullptr);
}

TEST_F(SwfTree, NumberedPropertiesAndRegisters) {
  ASSERT_TRUE(a_);
  SwfLogCapture log;
  swf::script_environment& env = env_of(a_);
  a_->set_member("_x", script_value(3));
  EXPECT_EQ(env.get_property(a_, 0).to_number(), 3);
  EXPECT_EQ(Str(env.get_property(a_, 13)), "a");
  EXPECT_TRUE(env.get_property(a_, 19).is_undefined());
  EXPECT_TRUE(log.lines.empty());
  EXPECT_TRUE(env.get_property(a_, 22).is_undefined());
  EXPECT_TRUE(log.Contains("error: invalid property query, property number 22\n"));
  env.set_property(a_, 19, script_value(1));
  script_value v;
  EXPECT_TRUE(a_->get_member("@@ mystery quality member", &v));
  env.set_property(a_, -1, script_value(1));
  EXPECT_TRUE(log.Contains("error: invalid set_property, property number -1\n"));

  env.global_register(0) = script_value(42);
  EXPECT_EQ(env.local_register(0).to_number(), 42);
  EXPECT_TRUE(log.Contains("Invalid local register 0, stack only has 0 entries\n"));
  env.add_local_registers(2);
  env.local_register(1) = script_value(1);
  EXPECT_EQ(env.local_register(1).to_number(), 1);

  EXPECT_EQ(swf::get_standard_member("_XSCALE"), swf::M_XSCALE);
  EXPECT_EQ(swf::get_standard_member("onLoad"), swf::M_ONLOAD);
  EXPECT_EQ(swf::get_standard_member("_xscalex"), swf::M_INVALID_MEMBER);
  EXPECT_STREQ(swf::clip_event(swf::clip_event::RELEASE_OUTSIDE).get_function_name(), "onRelease_Outside");
  EXPECT_STREQ(swf::clip_event(29).get_function_name(), "");
}

TEST(SwfEnvironment, TheStackAnswersUndefinedPastItsBottom) {
  swf::script_environment env;
  env.push(script_value(1));
  env.push(script_value("two"));
  EXPECT_EQ(Str(env.top(0)), "two");
  EXPECT_EQ(env.top(1).to_number(), 1);
  EXPECT_TRUE(env.top(5).is_undefined());
  EXPECT_EQ(Str(env.pop()), "two");
  env.drop(3);
  EXPECT_EQ(env.stack_size(), 0);
  EXPECT_TRUE(env.pop().is_undefined());
}

// The constant pool: entries point into the buffer; a record too short for its count
// and strings that run past the record's end never read beyond it.
TEST(SwfEnvironment, ConstantPoolsStayInsideTheirRecord) {
  auto buffer_of = [](const Bytes& actions) {
    auto in_movie = swftest::LoadMovie(swftest::MovieOfFrames({{swfw::DoAction(actions)}}));
    const auto* frame = in_movie->get_playlist(0);
    return std::make_pair(in_movie, static_cast<swf::do_action*>((*frame)[0]));
  };
  {
    auto [movie, action] = buffer_of(swfw::Actions().ConstantPool({"alpha", "beta"}).Build());
    const swf::action_buffer& buf = action->get_buffer();
    buf.process_decl_dict(0, buf.get_length());
    ASSERT_EQ(buf.get_dictionary().size(), 2);
    EXPECT_STREQ(buf.get_dictionary()[1], "beta");
    SwfLogCapture log;
    buf.process_decl_dict(0, buf.get_length());  // the same pool again: nothing happens
    buf.process_decl_dict(3, buf.get_length());
    EXPECT_EQ(log.lines.size(), 1u);
    EXPECT_TRUE(log.All().find("decl_dict was already processed at 0") != std::string::npos) << log.All();
  }
  {
    // Count 3, but the record's 9 bytes hold "ab", "c" and the start of a third string.
    Bytes pool = {0x88, 9, 0, 3, 0, 'a', 'b', 0, 'c', 0, 'd', 'e'};
    auto [movie, action] = buffer_of(Concat({pool, Bytes{0}}));
    const swf::action_buffer& buf = action->get_buffer();
    SwfLogCapture log;
    buf.process_decl_dict(0, 3 + 9);
    ASSERT_EQ(buf.get_dictionary().size(), 3);
    EXPECT_STREQ(buf.get_dictionary()[0], "ab");
    EXPECT_STREQ(buf.get_dictionary()[1], "c");
    EXPECT_STREQ(buf.get_dictionary()[2], "<invalid>");
    EXPECT_TRUE(log.Contains("error: action buffer dict length exceeded\n"));
  }
  {
    Bytes short_pool = {0x88, 1, 0, 3};  // no room for the count
    auto [movie, action] = buffer_of(Concat({short_pool, Bytes{0}}));
    const swf::action_buffer& buf = action->get_buffer();
    SwfLogCapture log;
    buf.process_decl_dict(0, 4);
    EXPECT_EQ(buf.get_dictionary().size(), 0);
    EXPECT_TRUE(log.Contains("error: action buffer dict length exceeded\n"));
  }
}

}  // namespace
