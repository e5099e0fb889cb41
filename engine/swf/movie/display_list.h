#pragma once

#include <cstdint>

#include "engine/swf/base/array.h"
#include "engine/swf/base/records.h"
#include "engine/swf/base/ref_counted.h"
#include "engine/swf/movie/character.h"

namespace swf {

// The characters a sprite shows, sorted by depth. Removal is deferred: an entry whose
// ref flag is 0 goes at the next sweep, so a frame that is run again keeps what it
// places again.
class display_list {
 public:
  struct entry {
    bool m_ref = true;
    smart_ptr<character> m_character;
  };

  int size() const { return m_entries.size(); }
  const entry& get_entry(int i) const { return m_entries[i]; }
  character* get_character(int i) const { return m_entries[i].m_character.get_ptr(); }

  int find_display_index(int depth) const;
  character* get_character_at_depth(int depth) const;
  character* get_character_by_name(const string& name) const;
  character* get_character_by_name_i(const string& name) const;

  void add_display_object(character* ch, uint16_t depth, bool replace_if_depth_is_occupied,
                          const cxform& color_xform, const matrix& mat, float ratio, uint16_t clip_depth);
  void move_display_object(uint16_t depth, bool use_cxform, const cxform& color_xform, bool use_matrix,
                           const matrix& mat, float ratio);
  void replace_display_object(character* ch, uint16_t depth, bool use_cxform, const cxform& color_xform,
                              bool use_matrix, const matrix& mat, float ratio, uint16_t clip_depth);
  void remove_display_object(uint16_t depth, int id);

  void clear_refs();
  void sweep();
  void clear();
  void advance(float delta_time);
  void display();

 private:
  array<entry> m_entries;
};

}  // namespace swf
