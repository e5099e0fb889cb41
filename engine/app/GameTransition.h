#pragma once

#include <cstdint>
#include <string>

#include "engine/core/Timer.h"

// One phase of a screen transition: the outgoing phase covers the screen with black in an
// animated pattern, holds it, and runs its script; the incoming phase (reverse set) plays
// the pattern backwards over the new state. Drawn untextured over the play area through
// the renderer; positions are fractions of the 800 x 600 play area.
//
// Progress p rises from 0 to 1 over the animation and stays 1 during the hold; the
// reversed progress P is 1 - p in the incoming phase. Fade and iris draw with P; roll and
// the cell kinds draw with p and choose their geometry by the reverse flag.
class GameTransition {
 public:
  static constexpr float kAnimationTime = 0.8f;
  static constexpr float kHoldTime = 0.1f;
  static constexpr uint32_t kBlack = 0xFF000000;

  explicit GameTransition(const std::string& name);
  virtual ~GameTransition() = default;
  GameTransition(const GameTransition&) = delete;
  GameTransition& operator=(const GameTransition&) = delete;

  virtual void Render() = 0;
  // Runs the animation, then the hold; when the hold ends, runs the script through the
  // console (an empty script runs nothing). Does nothing once the hold is over.
  virtual void Tick(float dt);

  // p: 1 - remaining / duration of the animation, clamped to [0, 1].
  float Progress() const { return animation.Progress(); }
  // P: p, or 1 - p in the incoming phase.
  float ReversedProgress() const { return reverse ? 1.0f - Progress() : Progress(); }
  // Both the animation and the hold have run out.
  bool IsFinished() const { return animation.remaining < 0.0f && hold.remaining < 0.0f; }

  CountdownTimer animation;
  CountdownTimer hold;
  std::string script;
  std::string name;
  bool reverse = false;
};

// One quad over the whole play area, black with alpha P x 255.
class GameTransitionFade : public GameTransition {
 public:
  using GameTransition::GameTransition;
  static GameTransition* Create(const std::string& name);
  void Render() override;
};

// A black ring of 32 quads around the centre, outer radius 0.85, inner radius
// (1 - P) x 0.85: the hole closes to the centre, then opens again.
class GameTransitionIris : public GameTransition {
 public:
  using GameTransition::GameTransition;
  static GameTransition* Create(const std::string& name);
  void Render() override;
};

// A black band growing from the left edge; in the incoming phase its left edge moves off
// to the right.
class GameTransitionRoll : public GameTransition {
 public:
  using GameTransition::GameTransition;
  static GameTransition* Create(const std::string& name);
  void Render() override;
};

// The kinds that cover the play area cell by cell: 60 columns and 40 rows of black quads,
// drawn column by column in batches of 996 vertices (166 cells).
class GameTransitionCells : public GameTransition {
 public:
  static constexpr int kColumns = 60;
  static constexpr int kRows = 40;
  static constexpr uint32_t kBatchVertices = 996;

  using GameTransition::GameTransition;
  void Render() override;
  virtual bool IsCellCovered(int column, int row) const = 0;
};

// A diagonal sweep from the top-left corner: covered when column + row <= n (incoming:
// >= n), n = p x 100 truncated.
class GameTransitionGrid : public GameTransitionCells {
 public:
  using GameTransitionCells::GameTransitionCells;
  static GameTransition* Create(const std::string& name);
  bool IsCellCovered(int column, int row) const override;
};

// A disc growing from the cell (30, 20) to the radius of the farthest cell, sqrt(1300);
// in the incoming phase a hole growing from it.
class GameTransitionCircle : public GameTransitionCells {
 public:
  using GameTransitionCells::GameTransitionCells;
  static GameTransition* Create(const std::string& name);
  bool IsCellCovered(int column, int row) const override;
};

// Ten bands of four rows that wipe in alternately from the right (even bands) and from
// the left (odd bands).
class GameTransitionXWipe : public GameTransitionCells {
 public:
  using GameTransitionCells::GameTransitionCells;
  static GameTransition* Create(const std::string& name);
  bool IsCellCovered(int column, int row) const override;
};
