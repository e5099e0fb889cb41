// What a movie's scripts hold, and the scales and turn they read back, beyond the rows of
// the hostile table (HostileTest.cpp): an account that outlives its movie, two movies
// with a bound each, and the matrix a set keeps.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/swf/base/limits.h"
#include "engine/swf/base/log.h"
#include "engine/swf/base/memory_account.h"
#include "engine/swf/movie/movie_root.h"
#include "tests/swf/PlayerFixture.h"
#include "tests/swf/support/HostileMovies.h"

namespace {

using swf::script_value;
using swftest::Played;

constexpr size_t kBound = swf::limits::kMaxScriptBytesPerMovie;
const char* const kMemoryLine = "error: the movie's scripts would hold more than";
// The bytes a text of the movies' megabyte holds.
const size_t kTextHeld = static_cast<size_t>(swf::string::heap_bytes(1 << 20));

// ---- accounts ------------------------------------------------------------------------------

// A closed account lives on while texts charged to it live, and its number names a new
// account only once they are freed: a late release never reaches the account of another
// movie.
TEST(SwfScriptMemory, AClosedAccountLivesUntilWhatItHoldsIsFreed) {
  const size_t held_before = swf::get_held_script_bytes();
  const swf::memory_account_id first = swf::open_memory_account(kBound);
  auto text = std::make_unique<swf::string>(std::string(100, 't'));
  text->charge_to_account(first);
  text->charge_to_account(first);  // charged once
  EXPECT_EQ(swf::get_memory_account_bytes(first), static_cast<size_t>(swf::string::heap_bytes(100)));
  swf::string moved = std::move(*text);  // the bytes move, and their charge with them
  text.reset();
  swf::close_memory_account(first);
  const swf::memory_account_id second = swf::open_memory_account(kBound);
  EXPECT_NE(second, first);
  EXPECT_EQ(swf::get_memory_account_bytes(first), static_cast<size_t>(swf::string::heap_bytes(100)));
  moved.resize(1000);  // grown: charged with what it reserves now
  EXPECT_EQ(swf::get_memory_account_bytes(first), static_cast<size_t>(swf::string::heap_bytes(1000)));
  moved = swf::string();
  EXPECT_EQ(swf::get_memory_account_bytes(first), 0u);
  EXPECT_EQ(swf::get_memory_account_bytes(second), 0u);
  swf::close_memory_account(second);
  EXPECT_EQ(swf::get_held_script_bytes(), held_before);
  // Both numbers are free again.
  const swf::memory_account_id third = swf::open_memory_account(kBound);
  EXPECT_TRUE(third == first || third == second);
  swf::close_memory_account(third);
}

// ---- two movies at once -------------------------------------------------------------------

// Each movie root has a bound of its own: a movie at its bound stops only its own scripts,
// and the one playing beside it goes on holding more.
TEST(SwfScriptMemory, EachMovieHasABoundOfItsOwn) {
  const size_t held_before = swf::get_held_script_bytes();
  {
    swftest::SwfLogCapture log;
    Played full(swftest::StringObjectsStoredEachFrame());
    Played beside(swftest::TextCopiesEveryFrame());
    full.root->advance(0.0f);
    beside.root->advance(0.0f);
    // The first movie plays up to its bound.
    for (int frame = 0; frame < 100 && !log.Contains(kMemoryLine); ++frame) {
      full.root->advance(1.0f / 12.0f + 1e-4f);
    }
    ASSERT_TRUE(log.Contains(kMemoryLine));
    EXPECT_GT(full.root->get_script_bytes() + 3 * kTextHeld, kBound);
    size_t lines_of_beside = 0;
    constexpr int kFrames = 6;
    for (int frame = 0; frame < kFrames; ++frame) {
      swf::reset_log_rate();
      full.root->advance(1.0f / 12.0f + 1e-4f);
      const size_t before = log.Count(kMemoryLine);
      beside.root->advance(1.0f / 12.0f + 1e-4f);
      lines_of_beside += log.Count(kMemoryLine) - before;
    }
    EXPECT_EQ(lines_of_beside, 0u);
    EXPECT_EQ(std::string(beside.root->get_variable("n")), std::to_string(kFrames));
    EXPECT_GE(beside.root->get_script_bytes(), (kFrames + 1) * kTextHeld);
    EXPECT_EQ(swf::get_held_script_bytes(),
              held_before + full.root->get_script_bytes() + beside.root->get_script_bytes());
  }
  EXPECT_EQ(swf::get_held_script_bytes(), held_before);
}

// ---- scales and turn: the matrix a set keeps ----------------------------------------------

// One set of a scale or the turn on a placed clip draws what it drew before the values
// were kept: the matrix of the placement's own scales and turn with the one value changed.
TEST(SwfScaleAndRotation, OneSetOnAPlacedClipGivesTheMatrixOfThePlacement) {
  // Mirrored, scaled unevenly and turned.
  swfw::Matrix placement = swfw::Matrix::Translate(2000, 1000);
  placement.hasScale = placement.hasRotate = true;
  placement.scaleX = -1.5;
  placement.scaleY = 0.5;
  placement.rotateSkew0 = 0.25;
  placement.rotateSkew1 = -0.25;
  const struct {
    const char* property;
    double value;
  } sets[] = {{"_xscale", 50}, {"_yscale", -100}, {"_rotation", 30}};
  for (const auto& set : sets) {
    Played p(swftest::ClipScaledByScript({}, placement));
    p.root->advance(0.0f);
    swf::character* c = p.child("c");
    ASSERT_NE(c, nullptr);
    const swf::matrix before = c->get_matrix();
    float x = before.get_x_scale(), y = before.get_y_scale(), turn = before.get_rotation();
    const std::string name = set.property;
    if (name == "_xscale") x = static_cast<float>(set.value / 100.0);
    if (name == "_yscale") y = static_cast<float>(set.value / 100.0);
    if (name == "_rotation") turn = static_cast<float>(set.value * 0.017453292);
    c->set_member(swf::string(set.property), script_value(set.value));
    swf::matrix expected = before;
    expected.set_scale_rotation(x, y, turn);
    EXPECT_TRUE(c->get_matrix() == expected) << set.property;
  }
}

// A placement that changes the matrix's scales or turn is read from the matrix again; one
// that moves the clip only keeps what the script set.
TEST(SwfScaleAndRotation, APlacementThatTurnsOrScalesIsReadFromItsMatrix) {
  Played p(swftest::ClipScaledByScript({{"_yscale", -100}}));
  p.root->advance(0.0f);
  swf::character* c = p.child("c");
  ASSERT_NE(c, nullptr);
  auto read = [&](const char* name) {
    script_value v;
    EXPECT_TRUE(c->get_member(swf::string(name), &v)) << name;
    return v.to_number();
  };
  swf::matrix moved = c->get_matrix();
  moved.m_[0][2] += 400.0f;
  c->set_matrix(moved);
  EXPECT_NEAR(read("_yscale"), -100, 1e-3);
  EXPECT_NEAR(read("_rotation"), 0, 1e-3);

  swf::matrix turned;
  turned.set_scale_rotation(2.0f, 2.0f, static_cast<float>(90 * 0.017453292));
  c->set_matrix(turned);
  EXPECT_NEAR(read("_xscale"), 200, 1e-3);
  EXPECT_NEAR(read("_yscale"), 200, 1e-3);
  EXPECT_NEAR(read("_rotation"), 90, 1e-3);
}

}  // namespace
