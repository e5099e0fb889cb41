#include "engine/graphics/DrawQueue.h"

#include <cmath>

#include "engine/core/Log.h"
#include "engine/core/Spline.h"

namespace dd {

namespace {

const char* const kKindNames[] = {"lines", "rectangles", "circles", "paths"};

// The test shared by lines and rectangles: dropped only when both points lie beyond one
// and the same edge of the unit square.
bool SpansScreen(const math::Vec2& a, const math::Vec2& b) {
  return (a.x >= 0.0f || b.x >= 0.0f) && (a.x <= 1.0f || b.x <= 1.0f) &&
         (a.y >= 0.0f || b.y >= 0.0f) && (a.y <= 1.0f || b.y <= 1.0f);
}

// Half the side of a node marker: 5 pixels of the 800 x 600 reference screen.
constexpr float kNodeHalfWidth = 0.00625f;
constexpr float kNodeHalfHeight = 0.008333f;
constexpr float kCircleStep = 0.39269876f;  // pi / 8
constexpr int kCircleSegments = 17;         // the first segment is drawn once more at the end

}  // namespace

void LineBatch2D::AddSegment(const math::Vec2& p, const math::Vec2& q, uint32_t color) {
  if (used + 2 >= capacity && used > 0) Flush();
  for (const math::Vec2& point : {p, q}) {
    ScreenVertex& v = vertices[static_cast<size_t>(used++)];
    v.x = point.x * screenWidth + static_cast<float>(screen::g_offsetX);
    v.y = point.y * screenHeight + static_cast<float>(screen::g_offsetY);
    v.z = 0.0f;
    v.rhw = 1.0f;
    v.color = color;
    v.u = 0.0f;
    v.v = 0.0f;
  }
}

void LineBatch2D::Flush() {
  if (used > 0) graphics->DrawArray(vertices.get(), static_cast<uint32_t>(used), PT_Lines);
  used = 0;
}

void Line2D::Draw(LineBatch2D& batch) const {
  batch.AddSegment(from, to, color);
  if (arrow) {
    batch.AddSegment(to, barb1, color);
    batch.AddSegment(to, barb2, color);
  }
}

void Rect2D::Draw(LineBatch2D& batch) const {
  const math::Vec2 topRight(corner2.x, corner1.y);
  const math::Vec2 bottomLeft(corner1.x, corner2.y);
  batch.AddSegment(corner1, topRight, color);
  batch.AddSegment(corner1, bottomLeft, color);
  batch.AddSegment(corner2, bottomLeft, color);
  batch.AddSegment(corner2, topRight, color);
}

void Circle2D::Draw(LineBatch2D& batch) const {
  // The radius is a fraction of the height; across it is scaled to the same pixels.
  const float aspect = screen::g_heightOverWidth;
  auto at = [&](int i) {
    const float t = static_cast<float>(i) * kCircleStep;
    return math::Vec2(centre.x + std::cos(t) * radius * aspect, centre.y + std::sin(t) * radius);
  };
  for (int i = 0; i < kCircleSegments; ++i) batch.AddSegment(at(i), at(i + 1), color);
}

void Path2D::Draw(LineBatch2D& batch) const {
  if (!path) return;
  const int32_t count = path->GetNodeCount();
  auto node = [&](int32_t i) { return path->GetNode(i)->pos; };

  if (count >= 2) {
    const int32_t steps = path->drawSteps;
    for (int32_t k = 0; k + 1 < count; ++k) {
      const math::Vec2 p0 = node(k > 0 ? k - 1 : 0);
      const math::Vec2 p1 = node(k);
      const math::Vec2 p2 = node(k + 1);
      const math::Vec2 p3 = node(k + 2 < count ? k + 2 : k + 1);
      math::Vec2 prev = p1;
      for (int32_t j = 1; j <= steps; ++j) {
        const float t = static_cast<float>(j) / static_cast<float>(steps);
        const math::Vec2 point = path->InterpolateSegment(t, p0, p1, p2, p3);
        batch.AddSegment(prev - offset, point - offset, color);
        prev = point;
      }
    }
  }

  if (showNodes) {
    for (int32_t i = 0; i < count; ++i) {
      const math::Vec2 p = node(i) - offset;
      const math::Vec2 a(p.x - kNodeHalfWidth, p.y - kNodeHalfHeight);
      const math::Vec2 b(p.x + kNodeHalfWidth, p.y - kNodeHalfHeight);
      const math::Vec2 c(p.x + kNodeHalfWidth, p.y + kNodeHalfHeight);
      const math::Vec2 d(p.x - kNodeHalfWidth, p.y + kNodeHalfHeight);
      batch.AddSegment(a, b, color);
      batch.AddSegment(b, c, color);
      batch.AddSegment(c, d, color);
      batch.AddSegment(d, a, color);
    }
  }
}

Manager& Manager::Instance() {
  static Manager instance;
  return instance;
}

Manager::Manager()
    : lines_(new Line2D[kMaxLines]),
      rects_(new Rect2D[kMaxRects]),
      circles_(new Circle2D[kMaxCircles]),
      paths_(new Path2D[kMaxPaths]) {}

Manager::~Manager() { Shutdown(); }

bool Manager::HasRoom(Kind kind, int32_t capacity) {
  if (counts_[kind] < capacity) return true;
  // The pools are fixed; a frame that adds more shapes than a pool holds loses the extra
  // ones. One warning per run of full frames, not one per dropped shape.
  if (!warned_[kind]) {
    LOG_LINE(MSG_WARNING) << "Draw queue full: dropping " << kKindNames[kind] << " beyond "
                          << capacity << " in a frame";
    warned_[kind] = true;
  }
  droppedThisFrame_[kind] = true;
  return false;
}

void Manager::AddLine(const math::Vec2& from, const math::Vec2& to, uint32_t color, bool arrow) {
  if (!SpansScreen(from, to) || !HasRoom(kLine, kMaxLines)) return;
  Line2D& line = lines_[static_cast<size_t>(counts_[kLine]++)];
  line.color = color;
  line.from = from;
  line.to = to;
  line.arrow = arrow;
  if (arrow) {
    const math::Vec2 d = to - from;
    const math::Vec2 side(d.y, -d.x);
    line.barb1 = to - d * 0.2f + side * 0.1f;
    line.barb2 = to - d * 0.2f - side * 0.1f;
  }
}

void Manager::AddRect(const math::Vec2& corner1, const math::Vec2& corner2, uint32_t color) {
  if (!SpansScreen(corner1, corner2) || !HasRoom(kRect, kMaxRects)) return;
  rects_[static_cast<size_t>(counts_[kRect]++)] = Rect2D{color, corner1, corner2};
}

void Manager::AddCircle(const math::Vec2& centre, float radius, uint32_t color) {
  const bool visible = centre.x + radius >= 0.0f && centre.y + radius >= 0.0f &&
                       centre.x - radius <= 1.0f && centre.y - radius <= 1.0f;
  if (!visible || !HasRoom(kCircle, kMaxCircles)) return;
  circles_[static_cast<size_t>(counts_[kCircle]++)] = Circle2D{color, centre, radius};
}

void Manager::AddPath(const math::Spline* path, float word, uint32_t color, bool showNodes,
                      const math::Vec2& offset) {
  if (!HasRoom(kPath, kMaxPaths)) return;
  paths_[static_cast<size_t>(counts_[kPath]++)] = Path2D{color, offset, path, word, showNodes};
}

bool Manager::Render2D() {
  Graphics* graphics = GetGraphics();
  // Without a renderer there is nothing to draw on; the shapes are forgotten all the same.
  if (graphics) {
    batch2D_.used = 0;
    batch2D_.capacity = kBatchCapacity;
    batch2D_.graphics = graphics;
    batch2D_.screenWidth = static_cast<float>(graphics->width);
    batch2D_.screenHeight = static_cast<float>(graphics->height);
    if (!batch2D_.vertices) batch2D_.vertices.reset(new ScreenVertex[kBatchCapacity]{});

    static const float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    graphics->SetTransform(TK_World, kIdentity);
    graphics->SetTexture(0, nullptr);
    graphics->SetRenderState(RS_ZEnable, 0);
    graphics->SetRenderState(RS_ZWrite, 0);
    graphics->SetRenderState(RS_Lighting, 0);
    graphics->SetRenderState(RS_AlphaBlend, 1);
    graphics->SetRenderState(RS_SrcBlend, BF_SrcAlpha);
    graphics->SetRenderState(RS_DestBlend, BF_InvSrcAlpha);
    graphics->SetTextureStage(0, TSK_ColorOp, TSV_SelectArg1);
    graphics->SetTextureStage(0, TSK_ColorArg1, TSV_Diffuse);
    graphics->SetTextureStage(0, TSK_ColorArg2, TSV_Texture);
    graphics->SetTextureStage(0, TSK_AlphaOp, TSV_SelectArg1);
    graphics->SetTextureStage(0, TSK_AlphaArg1, TSV_Diffuse);
    graphics->SetTextureStage(0, TSK_AlphaArg2, TSV_Texture);
    graphics->SetTextureStage(1, TSK_ColorOp, TSV_Disable);

    for (int32_t i = 0; i < counts_[kLine]; ++i) lines_[static_cast<size_t>(i)].Draw(batch2D_);
    for (int32_t i = 0; i < counts_[kPath]; ++i) paths_[static_cast<size_t>(i)].Draw(batch2D_);
    for (int32_t i = 0; i < counts_[kRect]; ++i) rects_[static_cast<size_t>(i)].Draw(batch2D_);
    for (int32_t i = 0; i < counts_[kCircle]; ++i) {
      circles_[static_cast<size_t>(i)].Draw(batch2D_);
    }
    batch2D_.Flush();
  }

  for (int kind = 0; kind < kKindCount; ++kind) {
    counts_[kind] = 0;
    // A pool that had room all frame may warn again the next time it overflows.
    if (!droppedThisFrame_[kind]) warned_[kind] = false;
    droppedThisFrame_[kind] = false;
  }
  return true;
}

bool Manager::Shutdown() {
  batch2D_.vertices.reset();
  batch2D_.used = 0;
  return true;
}

}  // namespace dd
