#include "tests/well/WellTestSupport.h"

namespace welltest {

int TestBlock::alive = 0;

TestBlock::TestBlock(well::BaseWell* board, const std::string& type, int color, int w, int h,
                     Events* events)
    : type_(type), events_(events) {
  well = board;
  this->color = color;
  SetSize(w, h);
  if (type != "ghost") {
    sprite.Init(std::string("block_") + well::GetColorName(color), math::Vec2(0.0f, 0.0f),
                math::Vec2(1.0f, 1.0f), false);
  }
  ++alive;
}

TestBlock::~TestBlock() { --alive; }

std::string TestBlock::Name() const {
  return type_ + "@" + std::to_string(targetX) + "," + std::to_string(targetY);
}

void TestBlock::OnPlaced() { events_->push_back("placed " + Name()); }
void TestBlock::OnKill() { events_->push_back("kill " + Name()); }
void TestBlock::OnTimer() { events_->push_back("timer " + Name()); }

void TestBlock::OnLandedOn() {
  events_->push_back("landed on " + Name());
  WellBlock::OnLandedOn();
}

well::WellBlock* TestWell::CreateBlock(const std::string& type, const std::string& color,
                                       int32_t x, int32_t y, int32_t w, int32_t h) {
  if (type == "unknown") return nullptr;
  return new TestBlock(this, type, well::FindColor(color), w, h, events_);
}

void TestWell::OnSettled() { events_->push_back("settled"); }

void TestWell::SweepDeadBlocks() {
  const size_t before = GetRemovedBlocks().size();
  GameWell::SweepDeadBlocks();
  for (size_t i = before; i < GetRemovedBlocks().size(); ++i) {
    events_->push_back("swept " + static_cast<TestBlock*>(GetRemovedBlocks()[i])->Name());
  }
}

void TestWell::PeriodicStep() {
  stepTimes.push_back(Now());
  GameWell::PeriodicStep();
}

TestBlock* TestWell::Put(const std::string& type, int x, int y, int w, int h,
                         const std::string& color) {
  auto* block = static_cast<TestBlock*>(CreateBlock(type, color, x, y, w, h));
  AddBlock(block, x, y, 0.0f);
  return block;
}

void WellTest::SetUp() {
  uitest::UITest::SetUp();
  timer_ = std::make_unique<FrameTimer>();
  events_.clear();
}

void WellTest::TearDown() {
  board_.reset();
  EXPECT_EQ(TestBlock::alive, 0) << "blocks leaked or deleted twice";
  TestBlock::alive = 0;
  timer_.reset();
  uitest::UITest::TearDown();
}

void WellTest::MakeBoard(int width, int height) {
  board_ = std::make_unique<TestWell>(*timer_, &events_);
  board_->Create(width, height, math::Vec2(0.1f, 0.1f),
                 math::Vec2(0.02f * static_cast<float>(width), 0.02f * static_cast<float>(height)),
                 math::Vec2(0.02f, 0.02f));
}

void WellTest::Frame(float dt) {
  clock_.AdvanceSeconds(dt);
  timer_->Update();
  board_->Tick(dt);
}

Events WellTest::TakeEvents() {
  Events taken;
  taken.swap(events_);
  return taken;
}

}  // namespace welltest
