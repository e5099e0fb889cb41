#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/Math.h"
#include "engine/core/StringMap.h"

class Font;

// One queued text: formatted when queued, drawn at the next RenderText.
struct TextRecord {
  std::string text;
  Font* font = nullptr;  // null: the manager's default font
  math::Vec2 position;
  uint32_t colour = 0xFFFFFFFF;
};

// The registry of named fonts (names ignore case) and the text queue of a frame.
//
// Any code may queue text during a frame's update or drawing; the screen state's draw step
// (and the open console) draws and empties the queue with RenderText, so queued text is
// drawn once, on top of what was drawn before.
//
// Text that comes from outside the code (a player's name, a file, a script, the console's
// command line) is queued with Print, PrintFont or PrintCentered, which take it as it is.
// The Printf forms take a format and must only ever be given a format written in the
// code: a "%" in outside text would otherwise be read as a conversion.
class FontManager : public StringMap<Font> {
 public:
  // A formatted text longer than this many bytes is cut.
  static constexpr size_t kFormatBufferSize = 1024;

  // The one manager, built on first use and destroyed at exit.
  static FontManager& Get();

  FontManager();
  ~FontManager() override;

  // Registers every "fonts/*.ttf" file with the system, then creates the default font
  // "Default" (face, width, height, weight 500, charset 0). Returns true.
  bool RegisterTTFonts(const std::string& face, int width, int height);
  // The font filed under the name; else a new TrueType font from the renderer, sized with
  // Resize and filed. Null when there is no renderer to make one.
  Font* CreateFont(const std::string& name, const std::string& face, int width, int height,
                   int weight, int charset);
  // The font filed under the name; else a new bitmap font loaded from the description
  // file and filed, whether or not the file loaded.
  Font* InitBitmapFont(const std::string& name, const std::string& file);
  // Files the font under its name unless a font is filed there; false (and the font stays
  // the caller's) when refused.
  bool AddFont(Font* font);
  Font* FindFont(const std::string& name) const;

  // Queues a formatted text in the default font at a screen position (fractions), in the
  // current colour.
  void Printf(const math::Vec2& position, const char* format, ...)
      __attribute__((format(printf, 3, 4)));
  // The same in a given font (null: the default font).
  void PrintfFont(Font* font, const math::Vec2& position, const char* format, ...)
      __attribute__((format(printf, 4, 5)));
  // Queues the text centred on the position (as measured by the font, or the default font
  // when font is null); without any font, at the position.
  void PrintfCentered(Font* font, const math::Vec2& position, const char* format, ...)
      __attribute__((format(printf, 4, 5)));

  // The same three, taking the text as it is (never as a format).
  void Print(const math::Vec2& position, const std::string& text);
  void PrintFont(Font* font, const math::Vec2& position, const std::string& text);
  void PrintCentered(Font* font, const math::Vec2& position, const std::string& text);

  // Draws every queued text in queue order, empties the queue, resets the colour to white
  // and ends the default font's text. A text without a font when there is no default font
  // is dropped.
  void RenderText();

  // Around a device reset: OnDeviceLost of every font before, Recreate of every font after
  // (when a default font exists).
  void ReleaseFonts();
  void RestoreFonts();
  // Deletes every font (and the queued texts, which may name them), then unregisters
  // the "fonts/*.ttf" files.
  void Shutdown();

  size_t QueuedCount() const { return queue.size(); }
  const std::vector<TextRecord>& QueuedTexts() const { return queue; }

  Font* defaultFont = nullptr;
  // The colour of queued text: white, and white again after every RenderText.
  uint32_t colour = 0xFFFFFFFF;

 private:
  void Enqueue(Font* font, const math::Vec2& position, std::string text);
  void EnqueueCentered(Font* font, const math::Vec2& position, std::string text);
  // Lists "fonts/*.ttf" on disk.
  static std::vector<std::string> FontFiles();

  std::vector<TextRecord> queue;
};
