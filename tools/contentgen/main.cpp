// contentgen: makes the game's generated content into a folder that the build packs into
// kx.arc beside data/: pictures, the board's sprites, bitmap fonts, sounds, the menu
// music, and the themes and stings that the game plays as samples.
//
//   contentgen OUTDIR REGULAR.ttf BOLD.ttf
//
// The folder is emptied first, so that nothing stale is packed; the empty file
// OUTDIR/.generated is written last and marks a complete run for the build.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "tools/contentgen/BitmapFontMaker.h"
#include "tools/contentgen/BoardArt.h"
#include "tools/contentgen/CursorArt.h"
#include "tools/contentgen/FashionArt.h"
#include "tools/contentgen/HelpArt.h"
#include "tools/contentgen/MovieArt.h"
#include "tools/contentgen/WidgetArt.h"
#include "tools/contentgen/MusicMaker.h"
#include "tools/contentgen/Pictures.h"
#include "tools/contentgen/SceneArt.h"
#include "tools/contentgen/SoundMaker.h"
#include "tools/contentgen/SpellArt.h"
#include "tools/contentgen/TrophyArt.h"

namespace {

namespace fs = std::filesystem;

bool WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), std::streamsize(bytes.size()));
  out.close();
  return static_cast<bool>(out);
}

bool Fail(const std::string& message) {
  std::fprintf(stderr, "contentgen: %s\n", message.c_str());
  return false;
}

bool PrepareFolder(const std::string& outDir) {
  std::error_code ec;
  fs::create_directories(outDir, ec);
  for (const auto& entry : fs::directory_iterator(outDir, ec)) fs::remove_all(entry.path(), ec);
  for (const char* folder : {"distro", "ui_img", "fonts", "sounds", "effects", "trophies", "img"}) {
    fs::create_directories(fs::path(outDir) / folder, ec);
  }
  return !ec || Fail("cannot prepare " + outDir + ": " + ec.message());
}

bool MakePictures(const contentgen::FontFiles& fonts, const std::string& outDir) {
  for (const contentgen::Picture& picture : contentgen::Pictures()) {
    if (!picture.make(fonts, outDir + "/" + picture.path)) return Fail("cannot make " + picture.path);
  }
  return true;
}

bool MakeFonts(const contentgen::FontFiles& fonts, const std::string& outDir) {
  // Sizes for the 800 x 600 play area: the big font for titles, the medium one for
  // buttons, the game font for the board's display, the small one is the panels' default.
  const contentgen::BitmapFontStyle styles[] = {
      {"BigFont", fonts.bold, 34, 2},
      {"MediumFont", fonts.bold, 22, 1},
      {"GameFont", fonts.bold, 18, 1},
      {"SmallFont", fonts.regular, 15, 0},
      {"TinyFont", fonts.regular, 11, 0},
  };
  for (const contentgen::BitmapFontStyle& style : styles) {
    std::string error;
    if (!contentgen::MakeBitmapFont(style, outDir, error)) return Fail(error);
  }
  return true;
}

bool MakeSounds(const std::string& outDir) {
  const struct {
    const char* path;
    contentgen::Samples (*make)();
  } effects[] = {
      {"sounds/screen_shift.ogg", contentgen::MakeSwish},
      {"sounds/block_select.ogg", contentgen::MakeBlockSelect},
      {"sounds/button_press.ogg", contentgen::MakeButtonPress},
      {"sounds/button_rollover.ogg", contentgen::MakeRollover},
      {"sounds/popup_open.ogg", contentgen::MakePopupOpen},
      {"sounds/popup_close.ogg", contentgen::MakePopupClose},
  };
  for (const auto& effect : effects) {
    const std::string ogg = contentgen::EncodeOgg(effect.make());
    if (ogg.empty() || !WriteBytes(outDir + "/" + effect.path, ogg)) {
      return Fail(std::string("cannot make ") + effect.path);
    }
  }
  for (const contentgen::BoardSound& sound : contentgen::BoardSounds()) {
    const std::string path = "sounds/" + sound.name + ".ogg";
    const std::string ogg = contentgen::EncodeOgg(sound.samples);
    if (ogg.empty() || !WriteBytes(outDir + "/" + path, ogg)) return Fail("cannot make " + path);
  }
  if (!WriteBytes(outDir + "/sounds/menu.mod", contentgen::MakeMenuModule())) {
    return Fail("cannot make sounds/menu.mod");
  }
  return true;
}

bool MakeMusic(const std::string& outDir) {
  for (const contentgen::MusicPiece& piece : contentgen::MusicPieces()) {
    const contentgen::Samples samples = contentgen::RenderModule(piece.module, piece.loops);
    const std::string ogg = samples.empty() ? std::string() : contentgen::EncodeOgg(samples);
    if (ogg.empty() || !WriteBytes(outDir + "/" + piece.path, ogg)) return Fail("cannot make " + piece.path);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fputs("usage: contentgen OUTDIR REGULAR.ttf BOLD.ttf\n", stderr);
    return 2;
  }
  const std::string outDir = argv[1];
  const contentgen::FontFiles fonts{argv[2], argv[3]};
  const bool ok = PrepareFolder(outDir) && MakePictures(fonts, outDir) &&
                  (contentgen::MakeSceneArt(outDir) || Fail("cannot make the scene art")) &&
                  (contentgen::MakeTrophyArt(outDir) || Fail("cannot make the trophy art")) &&
                  (contentgen::MakeBoardArt(fonts, outDir) || Fail("cannot make the board art")) &&
                  (contentgen::MakeCursorArt(outDir) || Fail("cannot make the cursors")) &&
                  (contentgen::MakeSpellArt(outDir) || Fail("cannot make the spell art")) &&
                  (contentgen::MakeFashionArt(outDir) || Fail("cannot make the fashion art")) &&
                  (contentgen::MakeHelpArt(outDir) || Fail("cannot make the help art")) &&
                  (contentgen::MakeMovieArt(outDir) || Fail("cannot make the story movie")) &&
                  (contentgen::MakeWidgetArt(outDir) || Fail("cannot make the widget art")) &&
                  MakeFonts(fonts, outDir) && MakeSounds(outDir) && MakeMusic(outDir) &&
                  WriteBytes(outDir + "/.generated", "");
  return ok ? 0 : 1;
}
