#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "engine/swf/base/array.h"
#include "engine/swf/movie/movie_definition.h"

namespace swf {

// The command lists of a timeline's frames. Only frames that hold commands take room: a
// movie or sprite that declares 65,535 frames costs what its commands cost, not a list
// per frame. The place and replace commands are also indexed by depth and character as
// they are added, so that going back to an earlier frame finds the command that last
// placed a depth without scanning every earlier frame. Owns its commands.
class frame_commands {
 public:
  frame_commands() = default;
  ~frame_commands();
  frame_commands(const frame_commands&) = delete;
  frame_commands& operator=(const frame_commands&) = delete;

  // Frames the lists cover: the count set, grown by commands added past it.
  int get_frame_count() const { return m_frame_count; }
  void set_frame_count(int count);

  // The frame's commands (an empty list for a frame without any); null outside the frames.
  const array<execute_tag*>* get(int frame) const;
  // Appends the command to the frame's list. A frame past the frame limit takes none: the
  // command is deleted, with one line.
  void add(int frame, execute_tag* tag);

  // The last place or replace command for the depth and id (as the commands answer
  // get_depth_id_of_replace_or_add_tag) in a frame before `frame`; null when none.
  execute_tag* find_previous_replace_or_add(int frame, uint32_t depth_id) const;

 private:
  struct frame_list {
    int m_frame;
    array<execute_tag*> m_tags;
  };
  struct placement {
    int m_frame;
    execute_tag* m_tag;
  };

  std::vector<frame_list> m_frames;  // by frame, ascending
  std::unordered_map<uint32_t, std::vector<placement>> m_placements;  // by frame, ascending
  int m_frame_count = 0;
};

}  // namespace swf
