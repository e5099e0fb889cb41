#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/Math.h"
#include "engine/ui/UISprite.h"

class KivDresses;

// One body part of the heroine: the piece it shows now, a piece queued to follow, where it
// sits on her and the pieces it can wear (the setup file's "Parts", in file order; piece
// number n is entry n).
struct HanaPart {
  std::string Name;
  std::string current;
  std::string next;
  math::Vec2 offset{0.0f, 0.0f};  // from the heroine's position, play-area fractions
  math::Vec2 size{0.0f, 0.0f};    // the current piece's size at scale 1
  ui::UISprite sprite;
  std::vector<std::string> pieces;
};

// The heroine: a paper doll of layered parts read from a setup file (global table
// "Character": rows { Name, Offset = { x, y } in 800 x 600 pixels, Parts = { sprite names } }
// in drawing order). The parts "hair", "dress" and "skirt" show the pieces worn on the
// slots "head", "upper" and "lower", which the current profile's game variables hold; an
// item of the catalogue may hide another slot while it is worn (its Override).
//
// The catalogue owns the one heroine of the game; screens that show her draw a clone
// (KivHanaWidget). Scripts reach her as the class "KivHana" through "GetHana".
class KivHana {
 public:
  static constexpr const char* kSetupFile = "hana/hana_setup.lua";
  static constexpr const char* kSetupTable = "Character";
  // The piece a hidden slot's part shows.
  static constexpr const char* kNoPiece = "none";

  // Loads the setup file; every part shows its first piece. The catalogue (may be null)
  // answers the look-ups of the worn items.
  explicit KivHana(const KivDresses* catalogue, const std::string& setupFile = kSetupFile);
  ~KivHana();
  KivHana(const KivHana&) = delete;
  KivHana& operator=(const KivHana&) = delete;

  // Replaces the parts by those of the file (which becomes the setup file). A file that
  // does not run logs one line and leaves her without parts.
  bool Load(const std::string& file);

  // --- The script class, in its registration order ---
  // Shows the piece on the first part of that name (ignoring case); the piece already
  // shown is left as it is, its animation running on.
  void SetPiece(const std::string& part, const std::string& piece);
  // Queues a piece for the part; Tick shows it once the current piece's animation is at
  // the end of a loop (at once for a still piece).
  void SetNext(const std::string& part, const std::string& piece);
  bool IsVisible() const { return visible_; }
  void SetVisible(bool visible) { visible_ = visible; }
  // The extent of the drawn heroine from her position.
  math::Vec2 GetSize() const;
  void SetPos(const math::Vec2& position) { position_ = position; }
  void SetScale(float scale) { scale_ = scale; }
  math::Vec2 GetPos() const { return position_; }
  // Rebuilds the parts from the setup file, then dresses her from the profile.
  void Reset();
  // Dresses her from the current profile: each slot's worn piece (piece 1, then owned,
  // when none is chosen yet), "none" on the part of a hidden slot.
  void ReloadCurrent();
  // False while a worn item hides the slot (the name compared ignoring case).
  bool IsAvailable(const std::string& slot) const;

  // --- For the program only ---
  // A new heroine from the setup file, dressed as this one; the caller owns it.
  std::unique_ptr<KivHana> Clone() const;
  // Takes every part's current piece from the other heroine.
  void SetPieces(const KivHana& other);
  void Tick(float dt);
  void Render();

  HanaPart* FindPart(std::string_view name) const;
  const std::vector<std::unique_ptr<HanaPart>>& Parts() const { return parts_; }
  float GetScale() const { return scale_; }
  const std::string& SetupFile() const { return setupFile_; }

 private:
  void ShowPiece(HanaPart& part, const std::string& piece);

  const KivDresses* catalogue_;
  math::Vec2 position_{0.0f, 0.0f};
  std::string setupFile_;
  std::vector<std::unique_ptr<HanaPart>> parts_;
  bool visible_ = true;
  float scale_ = 1.0f;
};

// The global function "GetHana" of the scripts: the catalogue's heroine.
KivHana* GetHana();
