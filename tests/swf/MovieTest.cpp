// Reading whole movies: headers, the tag walk, labels, the movie library and the
// loaders' failure lines.

#include <gtest/gtest.h>

#include "engine/swf/action/action_buffer.h"
#include "engine/swf/movie/movie_def_impl.h"
#include "engine/swf/movie/sprite_definition.h"
#include "engine/swf/movie/tag_loaders.h"
#include "tests/swf/support/SwfTestDoubles.h"
#include "tools/swfwriter/SwfSampleMovies.h"
#include "tools/swfwriter/SwfWriter.h"

namespace {

using swftest::Bytes;
using swftest::Concat;
using swftest::LoadMovie;

// What a definition holds, as text: header values and, per frame, its command kinds.
std::string Describe(swf::movie_def_impl* m) {
  std::string text = std::to_string(m->get_version()) + " " + std::to_string(m->get_frame_count()) + " " +
                     std::to_string(m->get_frame_rate()) + " " + std::to_string(m->get_width_pixels()) + "x" +
                     std::to_string(m->get_height_pixels()) + "\n";
  for (int f = 0; const swf::array<swf::execute_tag*>* list = m->get_playlist(f); ++f) {
    text += "frame " + std::to_string(f) + ":";
    for (swf::execute_tag* tag : *list) {
      if (auto* p = dynamic_cast<swf::place_object_2*>(tag)) {
        text += " place(" + std::to_string(p->m_place_type) + "," + std::to_string(p->m_depth) + "," +
                std::to_string(p->m_character_id) + ")";
      } else if (dynamic_cast<swf::remove_object_2*>(tag)) {
        text += " remove";
      } else if (auto* a = dynamic_cast<swf::do_action*>(tag)) {
        text += " action(" + std::to_string(a->get_buffer().get_length()) + ")";
      } else if (dynamic_cast<swf::set_background_color*>(tag)) {
        text += " background";
      } else {
        text += " other";
      }
    }
    text += "\n";
  }
  return text;
}

Bytes SampleNamed(const std::string& name) {
  for (const auto& [sample, bytes] : swfw::SampleMovies()) {
    if (sample == name) return bytes;
  }
  ADD_FAILURE() << "no sample " << name;
  return {};
}

TEST(SwfMovie, PlainAndCompressedFilesGiveEqualDefinitions) {
  swftest::SwfLogCapture log;
  auto plain = LoadMovie(SampleNamed("display_v6.swf"), "plain.swf");
  auto packed = LoadMovie(SampleNamed("display_v6_cws.swf"), "packed.swf");
  ASSERT_TRUE(plain && packed);
  EXPECT_EQ(Describe(plain.get_ptr()), Describe(packed.get_ptr()));
  EXPECT_EQ(Describe(plain.get_ptr()),
            "6 3 12.000000 550.000000x400.000000\n"
            "frame 0: background place(0,1,1) action(13)\n"
            "frame 1: place(1,1,0) place(0,2,1)\n"
            "frame 2: remove remove\n");
  int frame = -1;
  EXPECT_TRUE(packed->get_labeled_frame("intro", &frame));
  EXPECT_EQ(frame, 0);
  EXPECT_EQ(log.lines.size(), 0u) << log.All();
}

TEST(SwfMovie, AFileThatIsNoSwfIsRefused) {
  swftest::SwfLogCapture log;
  Bytes gif = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0, 0, 0};
  EXPECT_FALSE(LoadMovie(gif));
  EXPECT_FALSE(LoadMovie({}));
  EXPECT_EQ(log.Count("swf::movie_def_impl::read() -- file does not start with a SWF header!\n"), 2u);
}

TEST(SwfMovie, FrameRatesAreEightDotEight) {
  for (auto [field, rate] : {std::pair<uint16_t, float>{0x1E00, 30.0f}, {0x0C80, 12.5f}, {0, 0.0f}}) {
    swfw::Movie movie;
    movie.frameRate = field;
    movie.ShowFrame().End();
    auto m = LoadMovie(movie.Build());
    ASSERT_TRUE(m);
    EXPECT_FLOAT_EQ(m->get_frame_rate(), rate);
    EXPECT_EQ(m->get_width_pixels(), 550.0f);
  }
}

TEST(SwfMovie, UnknownTypesAreSkippedSilently) {
  swftest::SwfLogCapture log;
  swfw::Movie movie;
  movie.Add(swfw::Tag(3, {1, 2, 3})).Add(swfw::Tag(99, Bytes(70, 9))).Add(swfw::Tag(1023, {}));
  movie.Add(swfw::SetBackgroundColor({1, 2, 3})).ShowFrame().End();
  auto m = LoadMovie(movie.Build());
  ASSERT_TRUE(m);
  EXPECT_EQ(m->get_playlist(0)->size(), 1);
  EXPECT_TRUE(log.lines.empty()) << log.All();
}

TEST(SwfMovie, AnEarlyEndStopsTheWalkWithAWarning) {
  swftest::SwfLogCapture log;
  swfw::Movie movie;
  movie.ShowFrame().End().Add(swfw::SetBackgroundColor({1, 2, 3})).ShowFrame().End();
  auto m = LoadMovie(movie.Build());
  ASSERT_TRUE(m);
  EXPECT_EQ(m->get_playlist(1)->size(), 0);
  EXPECT_EQ(log.Count("warning: hit stream-end tag, but not at the end of the file yet; stopping for safety\n"), 1u);

  log.Clear();
  swfw::Movie exact;
  exact.ShowFrame().End();
  LoadMovie(exact.Build());
  EXPECT_TRUE(log.lines.empty()) << log.All();
}

TEST(SwfMovie, ShowFramesBeyondTheFrameCountGrowTheLists) {
  swfw::Movie movie;
  movie.frameCount = 1;
  movie.ShowFrame().ShowFrame().Add(swfw::SetBackgroundColor({1, 2, 3})).ShowFrame().End();
  auto m = LoadMovie(movie.Build());
  ASSERT_TRUE(m);
  EXPECT_EQ(m->get_frame_count(), 1);
  ASSERT_NE(m->get_playlist(2), nullptr);
  EXPECT_EQ(m->get_playlist(2)->size(), 1);
  EXPECT_EQ(m->get_playlist(3), nullptr);
}

TEST(SwfMovie, LabelsAreFoundWhateverTheirCase) {
  swfw::Movie movie;
  movie.Add(swfw::FrameLabel("Intro")).ShowFrame().Add(swfw::FrameLabel("MAIN_loop")).ShowFrame().End();
  auto m = LoadMovie(movie.Build());
  int frame = -1;
  EXPECT_TRUE(m->get_labeled_frame("intro", &frame));
  EXPECT_EQ(frame, 0);
  EXPECT_TRUE(m->get_labeled_frame("main_LOOP", &frame));
  EXPECT_EQ(frame, 1);
  EXPECT_FALSE(m->get_labeled_frame("outro", &frame));
}

TEST(SwfMovie, TheLibraryReadsAFileOnce) {
  swftest::MemoryFiles files;
  swfw::Movie movie;
  movie.ShowFrame().End();
  files.Add("menu.swf", movie.Build());
  auto first = swftest::Adopt(swf::create_library_movie("menu.swf"));
  auto second = swftest::Adopt(swf::create_library_movie("MENU.SWF"));
  ASSERT_TRUE(first);
  EXPECT_EQ(first.get_ptr(), second.get_ptr());
  EXPECT_EQ(files.OpenCount("menu.swf"), 1);
  swf::clear_library();
  auto third = swftest::Adopt(swf::create_library_movie("menu.swf"));
  EXPECT_NE(third.get_ptr(), nullptr);
  EXPECT_EQ(files.OpenCount("menu.swf"), 2);
  swf::clear_library();
}

TEST(SwfMovie, LoaderFailuresAreLogLines) {
  swftest::SwfLogCapture log;
  swf::file_opener_callback saved = swf::get_file_opener_callback();
  swf::register_file_opener_callback(nullptr);
  EXPECT_EQ(swf::create_movie("a.swf"), nullptr);
  EXPECT_EQ(log.Count("error: no file opener function; can't create movie.  See "
                      "swf::register_file_opener_callback\n"),
            1u);
  swf::register_file_opener_callback(saved);
  swftest::MemoryFiles files;
  EXPECT_EQ(swf::create_movie("missing.swf"), nullptr);
  EXPECT_EQ(log.Count("failed to open 'missing.swf'; can't create movie.\n"), 1u);
  EXPECT_EQ(swf::create_library_movie("missing.swf"), nullptr);
  EXPECT_EQ(log.Count("error: couldn't load library movie 'missing.swf'\n"), 1u);
  // The cache file beside a movie is asked for.
  swfw::Movie movie;
  movie.ShowFrame().End();
  LoadMovie(movie.Build(), "cached.swf");
  EXPECT_EQ(files.OpenCount("cached.swf.gsc"), 1);
}

TEST(SwfMovie, SpritesKeepTheirOwnFramesAndLabels) {
  swftest::SwfLogCapture log;
  auto m = LoadMovie(SampleNamed("sprites.swf"));
  ASSERT_TRUE(m);
  auto* sprite = dynamic_cast<swf::sprite_definition*>(m->get_character_def(2));
  ASSERT_NE(sprite, nullptr);
  EXPECT_EQ(sprite->get_frame_count(), 2);
  EXPECT_EQ(sprite->get_playlist(0)->size(), 1);
  EXPECT_EQ(sprite->get_playlist(1)->size(), 1);
  int frame = -1;
  EXPECT_TRUE(sprite->get_labeled_frame("SPIN", &frame));
  EXPECT_FALSE(m->get_labeled_frame("spin", &frame));
  EXPECT_EQ(sprite->get_version(), 6);
  // The init action lands in the movie's frame 0; the export names the sprite.
  EXPECT_EQ(m->get_init_actions(0)->size(), 1);
  EXPECT_EQ(m->get_exported_resource(swf::string("spinner")), sprite);
  EXPECT_TRUE(log.lines.empty()) << log.All();
}

TEST(SwfMovie, ASpriteLabelGivenTwiceMovesToTheLaterFrame) {
  swftest::SwfLogCapture log;
  Bytes inner = Concat({swfw::FrameLabel("loop"), swfw::Tag(1, {}), swfw::FrameLabel("LOOP"), swfw::Tag(1, {}),
                        swfw::Tag(0, {})});
  swfw::Movie movie;
  movie.Add(swfw::DefineSprite(1, 2, inner)).ShowFrame().End();
  auto m = LoadMovie(movie.Build());
  auto* sprite = dynamic_cast<swf::sprite_definition*>(m->get_character_def(1));
  ASSERT_NE(sprite, nullptr);
  int frame = -1;
  EXPECT_TRUE(sprite->get_labeled_frame("Loop", &frame));
  EXPECT_EQ(frame, 1);
  EXPECT_EQ(log.Count("add_frame_name(1, 'LOOP') -- frame name already assigned to frame 0; overriding\n"), 1u);
}

TEST(SwfMovie, TagsThatMayNotStandInASpriteAreRefused) {
  swftest::SwfLogCapture log;
  Bytes inner = swfw::DefineBitsLossless(9, {5, 1, 1, {}, {}, {}, {{1, 2, 3, 4}}}, false);
  Bytes init = swfw::DoInitAction(1, {0});
  Bytes exports = swfw::ExportAssets({{1, "x"}});
  Bytes sprite_in = swfw::DefineSprite(2, 1, {});
  inner.insert(inner.end(), init.begin(), init.end());
  inner.insert(inner.end(), exports.begin(), exports.end());
  inner.insert(inner.end(), sprite_in.begin(), sprite_in.end());
  swfw::Movie movie;
  movie.Add(swfw::DefineSprite(1, 1, {}));
  movie.Add(swfw::DefineSprite(3, 1, inner)).ShowFrame().End();
  auto m = LoadMovie(movie.Build());
  ASSERT_TRUE(m);
  EXPECT_EQ(log.Count("add_bc appears in sprite tags!\n"), 1u);
  EXPECT_EQ(log.Count("sprite_definition::add_init_action called!  Ignored.\n"), 1u);
  EXPECT_EQ(log.Count("can't export from sprite\n"), 1u);
  EXPECT_EQ(log.Count("add_character tag appears in sprite tags!\n"), 1u);
  EXPECT_EQ(m->get_bitmap_character(9), nullptr);
}

TEST(SwfMovie, ExportsAndImports) {
  swftest::SwfLogCapture log;
  swftest::MemoryFiles files;
  files.Add("movies/sprites.swf", SampleNamed("sprites.swf"));
  swfw::Movie movie;
  movie.Add(swfw::ImportAssets("sprites.swf", {{5, "SPINNER"}, {6, "nothing"}})).ShowFrame().End();
  auto m = LoadMovie(movie.Build(), "movies/main.swf");
  ASSERT_TRUE(m);
  EXPECT_NE(dynamic_cast<swf::sprite_definition*>(m->get_character_def(5)), nullptr);
  EXPECT_EQ(log.Count("import error: resource 'nothing' is not exported from movie 'sprites.swf'\n"), 1u);

  swfw::Movie exporter;
  exporter.Add(swfw::ExportAssets({{42, "ghost"}})).ShowFrame().End();
  LoadMovie(exporter.Build(), "exporter.swf");
  EXPECT_EQ(log.Count("export error: don't know how to export resource 'ghost'\n"), 1u);
  swf::clear_library();
}

// Collects the URLs an import visit reports.
class UrlList : public swf::import_visitor {
 public:
  void visit(const char* url) override { urls.push_back(url); }
  std::vector<std::string> urls;
};

TEST(SwfMovie, PendingImportsAreVisitedOnceAndResolvedFromTheSource) {
  swftest::SwfLogCapture log;
  auto source = LoadMovie(SampleNamed("sprites.swf"), "lib.swf");
  swfw::Movie empty;
  empty.ShowFrame().End();
  auto m = LoadMovie(empty.Build(), "main.swf");
  ASSERT_TRUE(source && m);
  m->add_import("lib.swf", 7, "Spinner");
  m->add_import("other.swf", 8, "x");
  m->add_import("lib.swf", 9, "missing");
  UrlList visitor;
  m->visit_imported_movies(&visitor);
  EXPECT_EQ(visitor.urls, (std::vector<std::string>{"lib.swf", "other.swf"}));
  m->resolve_import("lib.swf", source.get_ptr());
  EXPECT_EQ(m->get_character_def(7), source->get_character_def(2));
  EXPECT_EQ(m->get_import_count(), 1);
  EXPECT_EQ(log.Count("import error: resource 'missing' is not exported from movie 'lib.swf'\n"), 1u);
}

}  // namespace
