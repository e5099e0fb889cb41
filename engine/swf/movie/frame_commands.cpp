#include "engine/swf/movie/frame_commands.h"

#include <algorithm>
#include <iterator>

#include "engine/swf/base/limits.h"
#include "engine/swf/base/log.h"

namespace swf {

namespace {

// Depth-ids of commands that place nothing (moves, removes, actions).
constexpr uint32_t kNoPlacement = static_cast<uint32_t>(-1);

}  // namespace

frame_commands::~frame_commands() {
  for (frame_list& frame : m_frames) {
    for (execute_tag* tag : frame.m_tags) delete tag;
  }
}

void frame_commands::set_frame_count(int count) { m_frame_count = std::max(count, 0); }

const array<execute_tag*>* frame_commands::get(int frame) const {
  if (frame < 0 || frame >= m_frame_count) return nullptr;
  auto it = std::lower_bound(m_frames.begin(), m_frames.end(), frame,
                             [](const frame_list& f, int wanted) { return f.m_frame < wanted; });
  if (it != m_frames.end() && it->m_frame == frame) return &it->m_tags;
  static const array<execute_tag*> empty;
  return &empty;
}

void frame_commands::add(int frame, execute_tag* tag) {
  if (frame < 0 || frame >= limits::kMaxFrames) {
    log_error("error: more than %d frames; command dropped\n", limits::kMaxFrames);
    delete tag;
    return;
  }
  // Loaders fill the frames in order, so the list to extend is nearly always the last.
  auto it = m_frames.end();
  if (m_frames.empty() || m_frames.back().m_frame < frame) {
    it = m_frames.insert(m_frames.end(), frame_list{frame, {}});
  } else if (m_frames.back().m_frame != frame) {
    it = std::lower_bound(m_frames.begin(), m_frames.end(), frame,
                          [](const frame_list& f, int wanted) { return f.m_frame < wanted; });
    if (it == m_frames.end() || it->m_frame != frame) it = m_frames.insert(it, frame_list{frame, {}});
  } else {
    it = m_frames.end() - 1;
  }
  it->m_tags.push_back(tag);
  if (frame >= m_frame_count) m_frame_count = frame + 1;

  uint32_t depth_id = tag->get_depth_id_of_replace_or_add_tag();
  if (depth_id == kNoPlacement) return;
  std::vector<placement>& placements = m_placements[depth_id];
  if (placements.empty() || placements.back().m_frame <= frame) {
    placements.push_back({frame, tag});
  } else {
    auto at = std::upper_bound(placements.begin(), placements.end(), frame,
                               [](int wanted, const placement& p) { return wanted < p.m_frame; });
    placements.insert(at, {frame, tag});
  }
}

execute_tag* frame_commands::find_previous_replace_or_add(int frame, uint32_t depth_id) const {
  auto found = m_placements.find(depth_id);
  if (found == m_placements.end()) return nullptr;
  const std::vector<placement>& placements = found->second;
  // The first placement at or after the frame; the one before it is the latest earlier.
  auto it = std::lower_bound(placements.begin(), placements.end(), frame,
                             [](const placement& p, int wanted) { return p.m_frame < wanted; });
  if (it == placements.begin()) return nullptr;
  return std::prev(it)->m_tag;
}

}  // namespace swf
