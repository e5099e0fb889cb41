#pragma once

#include "engine/well/WellMoveEnd.h"

// The flowers a reshuffle takes off the board: each falls from where it stood, lower ones
// faster, and is deleted once it has left the screen.
class KivReshuffle : public well::WellMoveEnd {
 public:
  // Falls from rest: acceleration (0, 0.4 + 0.5 x the block's screen y).
  void Start(Flight& flight) override;
  // The step, then the block goes once it lies outside (-width, -height) to (1, 1).
  void Update(Flight& flight, float dt) override;
  // True once every flight has lost its block.
  bool IsFinished() const;
};
