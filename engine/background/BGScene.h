#pragma once

#include <string>

namespace background {

// A screen's background scene: a grid of tile images or one large picture, with one layer
// of scene elements drawn under the user interface and one drawn over it. It is read from
// a scene file, a Lua script that defines the global table "BGScene", and its owner
// updates it once a frame and draws it in two passes (Render, then RenderForeground after
// the user interface).
//
// The engine cannot read scene files yet: every scene stays empty, so it animates and
// draws nothing, and Load reports each file as one it could not load.
class BGScene {
 public:
  // An empty scene: no tiles, no elements, no scroll.
  BGScene();
  // Frees the scene's objects.
  ~BGScene();
  BGScene(const BGScene&) = delete;
  BGScene& operator=(const BGScene&) = delete;

  // Builds the scene from the scene file. False when the file cannot be loaded, logged as
  // "Unable to load Background <path>!"; the scene then stays as it was.
  bool Load(const std::string& path);
  // Animates the scene's sprites and elements by dt seconds.
  void Update(float dt);
  // Draws the back of the scene: the tiles or the background picture, then the elements
  // of the back layer.
  void Render();
  // Draws the elements of the front layer.
  void RenderForeground();
};

}  // namespace background
