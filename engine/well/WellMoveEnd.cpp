#include "engine/well/WellMoveEnd.h"

#include "engine/well/WellBlock.h"

namespace well {

WellMoveEnd::~WellMoveEnd() {
  for (Flight& flight : flights_) delete flight.item;
}

void WellMoveEnd::Add(WellBlock* block) {
  if (!block) return;
  Flight flight;
  flight.item = block;
  flight.position = block->GetScreenPos();
  Start(flight);
  flights_.push_back(flight);
}

void WellMoveEnd::Start(Flight& flight) {
  flight.velocity = math::Vec2(0.0f, -2.0f);
  flight.acceleration = math::Vec2(0.0f, 0.0f);
}

void WellMoveEnd::Update(Flight& flight, float dt) {
  flight.velocity += flight.acceleration * dt;
  flight.position += flight.velocity * dt;
}

void WellMoveEnd::TickAll(float dt) {
  for (Flight& flight : flights_) {
    if (flight.item) Update(flight, dt);
  }
}

void WellMoveEnd::RenderAll() {
  for (Flight& flight : flights_) {
    if (flight.item) flight.item->Render(flight.position);
  }
}

}  // namespace well
