// The Direct3D render handler on the OpenGL device, headless, read back: shapes, the
// background, bitmap fills, gradients and masks from writer-made movies, and glyph quads.

#include <cstdio>
#include <cstring>
#include <memory>

#include "engine/swf/action/action_buffer.h"
#include "engine/swf/base/image.h"
#include "engine/swf/base/limits.h"
#include "engine/swf/movie/movie_root.h"
#include "engine/swf/render/render_handler_d3d.h"
#include "tests/platform/d3d8/D3DTestSupport.h"
#include "tests/swf/PlayerFixture.h"
#include "tools/helpmovies/HelpMovies.h"

namespace {

using swfw::Color;

constexpr int kWidth = 64;
constexpr int kHeight = 48;

class RenderHandlerGlTest : public d3dtest::GlDeviceFixture {
 protected:
  void SetUp() override {
    GlDeviceFixture::SetUp();
    ASSERT_TRUE(Open(kWidth, kHeight, kWidth, kHeight, true));
    ASSERT_EQ(device_->BeginScene(), D3D_OK);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    handler_ = std::make_unique<swf::render_handler_d3d>(device_);
    swf::set_render_handler(handler_.get());
  }
  void TearDown() override {
    swf::set_render_handler(nullptr);
    handler_.reset();
    if (device_) device_->EndScene();
    GlDeviceFixture::TearDown();
  }
  // A frame over the whole back buffer, one twip-stage pixel per back-buffer pixel.
  void Begin(swf::rgba background = swf::rgba(0, 0, 0, 0)) {
    handler_->begin_frame(background, 0, 0, kWidth, kHeight, 0, kWidth * 20.0f, 0, kHeight * 20.0f);
  }
  // Plays the movie's first frame into the whole back buffer.
  std::vector<uint32_t> Show(const swfw::Bytes& bytes) {
    swftest::Played played(bytes);
    played.root->set_display_viewport(0, 0, kWidth, kHeight);
    played.root->set_background_alpha(0.0f);
    played.root->advance(0.01f);
    played.root->display();
    return ReadBackBuffer();
  }
  static swfw::Movie StageMovie() {
    swfw::Movie movie;
    movie.frame = {0, kWidth * 20, 0, kHeight * 20};
    return movie;
  }
  // A strip of the rectangle [x0, x1) x [y0, y1) in pixels.
  static std::vector<int16_t> Square(int x0, int y0, int x1, int y1) {
    return {int16_t(x0 * 20), int16_t(y0 * 20), int16_t(x1 * 20), int16_t(y0 * 20),
            int16_t(x0 * 20), int16_t(y1 * 20), int16_t(x1 * 20), int16_t(y1 * 20)};
  }

  std::unique_ptr<swf::render_handler_d3d> handler_;
};

TEST_F(RenderHandlerGlTest, SolidSquareAtItsPlaceAndColour) {
  Begin();
  swf::matrix m;
  m.m_[0][2] = 200;  // 10 pixels right
  handler_->set_matrix(m);
  handler_->set_fill_color(0, swf::rgba(40, 200, 90, 255));
  const auto strip = Square(0, 5, 10, 15);
  handler_->draw_triangle_strip(strip.data(), 4);
  handler_->end_frame();
  const auto pixels = ReadBackBuffer();
  EXPECT_EQ(Pixel(pixels, 10, 5), 0xFF28C85Au);
  EXPECT_EQ(Pixel(pixels, 19, 14), 0xFF28C85Au);
  EXPECT_EQ(Pixel(pixels, 9, 10), 0xFF000000u);
  EXPECT_EQ(Pixel(pixels, 20, 10), 0xFF000000u);
  EXPECT_EQ(Pixel(pixels, 15, 4), 0xFF000000u);
  EXPECT_EQ(Pixel(pixels, 15, 15), 0xFF000000u);
}

TEST_F(RenderHandlerGlTest, BackgroundAlphaZeroHalfAndFull) {
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0);
  Begin(swf::rgba(255, 0, 0, 0));
  handler_->end_frame();
  EXPECT_EQ(Pixel(ReadBackBuffer(), 30, 20), 0xFF0000FFu);
  Begin(swf::rgba(255, 0, 0, 128));
  handler_->end_frame();
  EXPECT_TRUE(d3dtest::ColorNear(Pixel(ReadBackBuffer(), 30, 20), 0xFF80007F, 2));
  Begin(swf::rgba(255, 0, 0, 255));
  handler_->end_frame();
  EXPECT_EQ(Pixel(ReadBackBuffer(), 30, 20), 0xFFFF0000u);
}

TEST_F(RenderHandlerGlTest, BitmapFillRepeatsOrClampsAChecker) {
  // A 2 x 2 checker (red, green / green, red) drawn 4 pixels a texel over 16 pixels.
  swf::image_rgb checker(2, 2);
  const uint8_t red[3] = {255, 0, 0}, green[3] = {0, 255, 0};
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 2; ++x) std::memcpy(checker.m_data + y * checker.m_pitch + x * 3, (x + y) % 2 ? green : red, 3);
  }
  swf::smart_ptr<swf::bitmap_info> bitmap(handler_->create_bitmap_rgb(&checker));
  swf::matrix to_bitmap;  // 80 twips (4 pixels) a texel
  to_bitmap.m_[0][0] = to_bitmap.m_[1][1] = 1.0f / 80.0f;
  for (auto wrap : {swf::render_handler::WRAP_REPEAT, swf::render_handler::WRAP_CLAMP}) {
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    Begin();
    handler_->set_fill_bitmap(0, bitmap.get_ptr(), to_bitmap, wrap);
    const auto strip = Square(0, 0, 16, 16);
    handler_->draw_triangle_strip(strip.data(), 4);
    handler_->end_frame();
    const auto pixels = ReadBackBuffer();
    EXPECT_EQ(Pixel(pixels, 1, 1), 0xFFFF0000u);
    EXPECT_EQ(Pixel(pixels, 5, 1), 0xFF00FF00u);
    EXPECT_EQ(Pixel(pixels, 5, 5), 0xFFFF0000u);
    if (wrap == swf::render_handler::WRAP_REPEAT) {
      EXPECT_EQ(Pixel(pixels, 9, 1), 0xFFFF0000u);  // the pattern again
      EXPECT_EQ(Pixel(pixels, 13, 9), 0xFF00FF00u);
    } else {
      EXPECT_EQ(Pixel(pixels, 13, 1), 0xFF00FF00u);  // the edge texel stretched on
      EXPECT_EQ(Pixel(pixels, 13, 13), 0xFFFF0000u);
      EXPECT_EQ(Pixel(pixels, 1, 13), 0xFF00FF00u);
    }
    EXPECT_EQ(Pixel(pixels, 20, 5), 0xFF000000u);
  }
}

TEST_F(RenderHandlerGlTest, LinearGradientEnds) {
  swfw::Shape shape = swfw::RectangleShape(kWidth * 20, 20 * 20, Color{});
  shape.fills[0].type = 0x10;
  shape.fills[0].gradient = {{0, Color{255, 0, 0, 255}}, {255, Color{0, 0, 255, 255}}};
  shape.fills[0].matrix.hasScale = true;
  shape.fills[0].matrix.scaleX = shape.fills[0].matrix.scaleY = kWidth * 20 / 32768.0;
  shape.fills[0].matrix.translateX = kWidth * 10;
  shape.fills[0].matrix.translateY = 200;
  swfw::Movie movie = StageMovie();
  movie.Add(swfw::DefineShape(2, 1, shape)).Add(swftest::Place(1, 1)).ShowFrame().End();
  const auto pixels = Show(movie.Build());
  EXPECT_TRUE(d3dtest::ColorNear(Pixel(pixels, 0, 10), 0xFFFF0000, 12)) << std::hex << Pixel(pixels, 0, 10);
  EXPECT_TRUE(d3dtest::ColorNear(Pixel(pixels, kWidth - 1, 10), 0xFF0000FF, 12)) << std::hex
                                                                                  << Pixel(pixels, kWidth - 1, 10);
  EXPECT_TRUE(d3dtest::ColorNear(Pixel(pixels, kWidth / 2, 10), 0xFF800080, 20)) << std::hex
                                                                                 << Pixel(pixels, kWidth / 2, 10);
  EXPECT_EQ(Pixel(pixels, 10, 30), 0xFF000000u);
}

TEST_F(RenderHandlerGlTest, MaskClipsItsDepthsAndIsNeverSeen) {
  const auto rect = [](uint16_t id, int w, int h, Color c) { return swfw::DefineShape(2, id, swfw::RectangleShape(w * 20, h * 20, c)); };
  swfw::PlaceObject2Record mask;
  mask.depth = 1;
  mask.characterId = 1;
  mask.clipDepth = 5;
  mask.matrix = swfw::Matrix::Translate(0, 0);
  swfw::Movie movie = StageMovie();
  movie.Add(rect(1, kWidth / 2, kHeight, Color{255, 255, 0, 255}))  // the left half, yellow
      .Add(rect(2, kWidth, 8, Color{255, 0, 0, 255}))
      .Add(rect(3, kWidth, 8, Color{0, 255, 0, 255}))
      .Add(rect(4, kWidth, 8, Color{0, 0, 255, 255}))
      .Add(swfw::PlaceObject2(mask, 6))
      .Add(swftest::Place(2, 2, nullptr, 0, 0))
      .Add(swftest::Place(3, 5, nullptr, 0, 10 * 20))
      .Add(swftest::Place(4, 6, nullptr, 0, 20 * 20))
      .ShowFrame()
      .End();
  const auto pixels = Show(movie.Build());
  EXPECT_EQ(Pixel(pixels, 5, 4), 0xFFFF0000u);    // depth 2 inside the mask
  EXPECT_EQ(Pixel(pixels, 50, 4), 0xFF000000u);   // and cut outside it
  EXPECT_EQ(Pixel(pixels, 5, 14), 0xFF00FF00u);   // depth 5, the last clipped
  EXPECT_EQ(Pixel(pixels, 50, 14), 0xFF000000u);
  EXPECT_EQ(Pixel(pixels, 5, 24), 0xFF0000FFu);   // depth 6 is not clipped
  EXPECT_EQ(Pixel(pixels, 50, 24), 0xFF0000FFu);
  EXPECT_EQ(Pixel(pixels, 5, 40), 0xFF000000u);   // the mask itself is unseen
}

TEST_F(RenderHandlerGlTest, GlyphQuadFadesWithTheColoursAlpha) {
  std::vector<uint8_t> coverage(8 * 8, 255);
  swf::smart_ptr<swf::bitmap_info> glyph(handler_->create_bitmap_alpha(8, 8, coverage.data()));
  const swf::rect quad{0, 160, 0, 160};
  const swf::rect uv{0, 1, 0, 1};
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
  Begin();
  handler_->draw_bitmap_quad(swf::matrix::identity, glyph.get_ptr(), quad, uv, swf::rgba(255, 255, 255, 255));
  swf::matrix right;
  right.m_[0][2] = 400;
  handler_->draw_bitmap_quad(right, glyph.get_ptr(), quad, uv, swf::rgba(255, 255, 255, 64));
  handler_->end_frame();
  const auto pixels = ReadBackBuffer();
  EXPECT_EQ(Pixel(pixels, 4, 4), 0xFFFFFFFFu);
  EXPECT_TRUE(d3dtest::ColorNear(Pixel(pixels, 24, 4), 0xFF404040, 2)) << std::hex << Pixel(pixels, 24, 4);
  EXPECT_EQ(Pixel(pixels, 14, 4), 0xFF000000u);
}

}  // namespace

namespace {

// The help movies at their size in the popup, advanced through their frames.
class HelpMovieGlTest : public d3dtest::GlDeviceFixture {
 protected:
  void SetUp() override {
    GlDeviceFixture::SetUp();
    ASSERT_TRUE(Open(helpmovies::kStageWidth, helpmovies::kStageHeight, helpmovies::kStageWidth,
                     helpmovies::kStageHeight, true));
    ASSERT_EQ(device_->BeginScene(), D3D_OK);
    handler_ = std::make_unique<swf::render_handler_d3d>(device_);
    swf::set_render_handler(handler_.get());
  }
  void TearDown() override {
    swf::set_render_handler(nullptr);
    handler_.reset();
    if (device_) device_->EndScene();
    GlDeviceFixture::TearDown();
  }
  std::unique_ptr<swf::render_handler_d3d> handler_;
};

TEST_F(HelpMovieGlTest, HelpMoviesShowTheirBandsCaptionsAndText) {
  std::string error;
  const auto movies = helpmovies::MakeHelpMovies(PELLAVO_TEST_FONT, error);
  ASSERT_EQ(movies.size(), 2u) << error;
  for (const auto& [name, bytes] : movies) {
    swftest::SwfLogCapture log;
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    swftest::Played played(bytes);
    played.root->set_display_viewport(0, 0, helpmovies::kStageWidth, helpmovies::kStageHeight);
    played.root->set_background_alpha(0.0f);
    // The movie's scripts spend less than a hundredth of a frame's budget.
    for (int frame = 0; frame < 14; ++frame) {
      played.root->advance(1.0f / 12.0f);
      EXPECT_LT(swf::get_action_frame_counts().units, swf::limits::kMaxActionsPerFrame / 100) << name << frame;
    }
    played.root->display();
    const auto pixels = ReadBackBuffer();
    const swfw::Color band = name == "help/chain.swf" ? helpmovies::kChainBand : helpmovies::kSpellsBand;
    const uint32_t bandColor = 0xFF000000u | (uint32_t(band.r) << 16) | (uint32_t(band.g) << 8) | band.b;
    EXPECT_EQ(Pixel(pixels, 5, 60), bandColor) << name;
    EXPECT_EQ(Pixel(pixels, helpmovies::kBandWidth - 1, 110), bandColor) << name;
    // The caption is revealed by now: dark text pixels along its line.
    int dark = 0;
    for (int x = 32; x < 250; ++x) {
      for (int y = 10; y < 28; ++y) dark += (Pixel(pixels, x, y) & 0xFF) < 128;
    }
    EXPECT_GT(dark, 100) << name;
    EXPECT_EQ(log.lines.size(), 0u) << name << ": " << log.All();
  }
}

// Each help movie's caption tells what its picture shows on every frame: the chain
// movie's count is the number of flowers whose centre its link has reached, the spells
// movie's percentage the zen meter's fill.
TEST_F(HelpMovieGlTest, CaptionsTellWhatThePicturesShowOnEveryFrame) {
  std::string error;
  const auto movies = helpmovies::MakeHelpMovies(PELLAVO_TEST_FONT, error);
  ASSERT_EQ(movies.size(), 2u) << error;
  for (const auto& [name, bytes] : movies) {
    const bool chain = name == "help/chain.swf";
    swftest::Played played(bytes);
    played.root->set_display_viewport(0, 0, helpmovies::kStageWidth, helpmovies::kStageHeight);
    played.root->set_background_alpha(0.0f);
    int counted = 0;
    for (int frame = 0; frame < 30; ++frame) {
      device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
      played.root->advance(1.0f / 12.0f);
      played.root->display();
      const auto pixels = ReadBackBuffer();
      swf::character* field = played.child("field");
      ASSERT_NE(field, nullptr) << name;
      const std::string caption = field->text_value();
      // The link is yellow to orange along the flowers' row, the meter blue on its own row:
      // the last pixel of its colour is its end.
      int end = 0;
      for (int x = 0; x < helpmovies::kStageWidth; ++x) {
        const uint32_t pixel = Pixel(pixels, x, chain ? 60 : 87);
        const int red = pixel >> 16 & 0xFF, blue = pixel & 0xFF;
        if (chain ? (red > 200 && blue < 90) : (red < 180 && blue > 180)) end = x + 1;
      }
      int said = 0;
      if (chain && std::sscanf(caption.c_str(), "Chain: %d", &said) == 1) {
        // The flowers (radius 14, centred at 80, 140 and 200) the link has reached, and
        // the next one, which it stays clear of.
        int reached = 0;
        for (int centre : {80, 140, 200}) reached += centre <= end + 2;
        EXPECT_EQ(said, reached) << name << " frame " << frame << " \"" << caption << "\", link to " << end;
        if (reached < 3) {
          EXPECT_LT(end, 80 + 60 * reached - 16) << name << " frame " << frame << ": touches the next";
        }
        ++counted;
      }
      if (!chain && std::sscanf(caption.c_str(), "Zen: %d%%", &said) == 1) {
        EXPECT_NEAR(said, (end - 60) * 100 / 240, 3) << name << " frame " << frame << " \"" << caption << "\"";
        ++counted;
      }
    }
    EXPECT_GE(counted, 15) << name;
  }
}

}  // namespace
