#pragma once

// The fashion studio, where the heroine changes her clothes. It shows nothing until its
// panel is built.
class KivFashionStudio {
 public:
  static KivFashionStudio& Instance();

  // Whether the studio's main widget exists and is visible.
  bool GetIsVisible() const { return false; }
};
