#include "engine/core/Path.h"

#include <algorithm>

namespace math {

Path::~Path() {
  // Path::DeleteNode, not an override: a derived part is gone by now.
  for (PathNode* node : nodes_) delete node;
}

void Path::Clear() {
  for (PathNode* node : nodes_) DeleteNode(node);
  nodes_.clear();
  totalLength_ = -1.0f;
}

PathNode* Path::GetNode(int32_t index) {
  if (index < 0 || index >= GetNodeCount()) return nullptr;
  return nodes_[static_cast<size_t>(index)];
}

const PathNode* Path::GetNode(int32_t index) const {
  if (index < 0 || index >= GetNodeCount()) return nullptr;
  return nodes_[static_cast<size_t>(index)];
}

void Path::AddNode(const Vec2& pos) { InsertNode(pos, -1); }

void Path::InsertNode(const Vec2& pos, int32_t index) {
  if (GetNodeCount() >= maxNodes) return;
  auto* node = new PathNode{pos, -1.0f};
  if (index >= 0 && index < GetNodeCount()) {
    nodes_.insert(nodes_.begin() + index, node);
  } else {
    nodes_.push_back(node);
    index = GetNodeCount() - 1;
  }
  InvalidateAround(index);
}

void Path::RemoveNode(int32_t index) {
  if (index < 0 || index >= GetNodeCount()) return;
  DeleteNode(nodes_[static_cast<size_t>(index)]);
  nodes_.erase(nodes_.begin() + index);
  // The nodes that were index - 2 .. index + 1 around the gap now form the segments
  // index - 2 .. index.
  InvalidateAround(index);
}

void Path::SetNode(int32_t index, const Vec2& pos) {
  if (index < 0 || index >= GetNodeCount()) return;
  nodes_[static_cast<size_t>(index)]->pos = pos;
  InvalidateAround(index);
}

void Path::DeleteNode(PathNode* node) { delete node; }

void Path::InvalidateAround(int32_t index) {
  // A segment's curve runs through four nodes (the one before it, its two ends and the
  // one after), so an edit at a node changes the two segments before it as well as the
  // two after; marking only the node and its predecessor would leave stale lengths.
  const int32_t first = std::max(index - 2, 0);
  const int32_t last = std::min(index + 1, GetNodeCount() - 1);
  for (int32_t i = first; i <= last; ++i) nodes_[static_cast<size_t>(i)]->length = -1.0f;
  totalLength_ = -1.0f;
}

}  // namespace math
