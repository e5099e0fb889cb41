#pragma once

#include <vector>

#include "engine/core/Math.h"

namespace well {

class WellBlock;

// Blocks taken out of a board that fly off on their own (a reshuffle, the end of a
// level): each has a position, a velocity and an acceleration. The list owns the blocks.
class WellMoveEnd {
 public:
  struct Flight {
    WellBlock* item = nullptr;  // owned
    math::Vec2 position{0.0f, 0.0f};
    math::Vec2 velocity{0.0f, 0.0f};
    math::Vec2 acceleration{0.0f, 0.0f};
  };

  WellMoveEnd() = default;
  // Deletes every block.
  virtual ~WellMoveEnd();
  WellMoveEnd(const WellMoveEnd&) = delete;
  WellMoveEnd& operator=(const WellMoveEnd&) = delete;

  // One step of a flight: velocity, then position.
  virtual void Update(Flight& flight, float dt);
  // Sets a new flight off: straight up at two screen heights per second.
  virtual void Start(Flight& flight);

  // Takes a block that the caller has taken out of its board; null is ignored.
  void Add(WellBlock* block);
  void TickAll(float dt);
  // Draws every block at its flight position.
  void RenderAll();
  const std::vector<Flight>& GetFlights() const { return flights_; }

 protected:
  std::vector<Flight> flights_;
};

}  // namespace well
