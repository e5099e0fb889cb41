#pragma once

#include <string>
#include <vector>

// The game's pictures, drawn by program: the two splash pages, the screen backgrounds,
// the console background, panel, button and progress-bar images, the flower decal and
// the two cursor images.
namespace contentgen {

struct FontFiles {
  std::string regular;  // e.g. DejaVu Sans
  std::string bold;     // e.g. DejaVu Sans Bold
};

// One picture: its path under the output folder and the function that makes it.
struct Picture {
  std::string path;
  bool (*make)(const FontFiles& fonts, const std::string& file);
};

// Every picture the generator writes, by archive path ("ui_img/button.png").
const std::vector<Picture>& Pictures();

}  // namespace contentgen
