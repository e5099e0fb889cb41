#pragma once

#include <cstdint>
#include <vector>

#include "engine/core/Math.h"

namespace math {

// One node of a path: its position and the cached arc length of the segment that starts
// at it (-1 while not computed).
struct PathNode {
  Vec2 pos;
  float length = -1.0f;
};

// An ordered list of at most maxNodes nodes with a cached total length. Every length is
// either valid or -1: any edit marks the segments whose shape it changes and the total as
// not computed. Measuring lives in Spline, which every user creates.
class Path {
 public:
  Path() = default;
  virtual ~Path();
  Path(const Path&) = delete;
  Path& operator=(const Path&) = delete;

  // Deletes every node.
  virtual void Clear();

  // Node i, or null when i is outside the node list.
  PathNode* GetNode(int32_t index);
  const PathNode* GetNode(int32_t index) const;
  int32_t GetNodeCount() const { return static_cast<int32_t>(nodes_.size()); }

  // Appends a node.
  void AddNode(const Vec2& pos);
  // Inserts a node before node `index`; any index outside the list appends. A full path
  // ignores the call.
  void InsertNode(const Vec2& pos, int32_t index);
  // Out-of-range indices are ignored.
  void RemoveNode(int32_t index);
  void SetNode(int32_t index, const Vec2& pos);

  int32_t maxNodes = 50;

 protected:
  // Frees one node record.
  virtual void DeleteNode(PathNode* node);
  // Marks as not computed the lengths of the segments whose four control points include
  // node `index` (segments index - 2 to index + 1), and the total.
  void InvalidateAround(int32_t index);

  std::vector<PathNode*> nodes_;  // owned
  float totalLength_ = -1.0f;
};

}  // namespace math
