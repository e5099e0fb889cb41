-- The sound bank: each sound is played by its name; one of its files is picked at random
-- each time. Bias gives each file's volume factor (0.1 to 1.0, 1.0 where absent).
SoundBank =
{
   -- Every screen plays it when it is left.
   { Name = "screen_shift", Files = { "sounds/screen_shift.ogg" } },
   -- Widgets: a left release on a widget with a release script, and the pointer coming
   -- over a widget that reacts to it.
   { Name = "button_press", Files = { "sounds/button_press.ogg" } },
   { Name = "button_rollover", Files = { "sounds/button_rollover.ogg" }, Bias = { 0.7 } },
   -- A key typed into an edited text.
   { Name = "textbox_new_text", Files = { "sounds/textbox_new_text.ogg" }, Bias = { 0.6 } },
   { Name = "block_select", Files = { "sounds/block_select.ogg" } },
   -- The board: the select grades of a chain's length, the clears graded by length, the
   -- blocks' and the board's own sounds; the zen charge plays while zen lightnings run.
   { Name = "token_select_1", Files = { "sounds/token_select_1.ogg" } },
   { Name = "token_select_2", Files = { "sounds/token_select_2.ogg" } },
   { Name = "token_select_3", Files = { "sounds/token_select_3.ogg" } },
   { Name = "token_select_4", Files = { "sounds/token_select_4.ogg" } },
   { Name = "token_select_5", Files = { "sounds/token_select_5.ogg" } },
   { Name = "token_select_6", Files = { "sounds/token_select_6.ogg" } },
   { Name = "token_select_7", Files = { "sounds/token_select_7.ogg" } },
   { Name = "token_select_8", Files = { "sounds/token_select_8.ogg" } },
   { Name = "token_select_9", Files = { "sounds/token_select_9.ogg" } },
   { Name = "token_select_10", Files = { "sounds/token_select_10.ogg" } },
   { Name = "token_select_11", Files = { "sounds/token_select_11.ogg" } },
   { Name = "token_select_12", Files = { "sounds/token_select_12.ogg" } },
   { Name = "token_select_13", Files = { "sounds/token_select_13.ogg" } },
   { Name = "token_select_14", Files = { "sounds/token_select_14.ogg" } },
   { Name = "token_select_15", Files = { "sounds/token_select_15.ogg" } },
   { Name = "token_clear_1", Files = { "sounds/token_clear_1.ogg" } },
   { Name = "token_clear_2", Files = { "sounds/token_clear_2.ogg" } },
   { Name = "token_clear_3", Files = { "sounds/token_clear_3.ogg" } },
   { Name = "token_clear_4", Files = { "sounds/token_clear_4.ogg" } },
   { Name = "token_clear_5", Files = { "sounds/token_clear_5.ogg" } },
   { Name = "token_jingle", Files = { "sounds/token_jingle.ogg" } },
   { Name = "token_lock_1", Files = { "sounds/token_lock_1.ogg" } },
   { Name = "token_lock_2", Files = { "sounds/token_lock_2.ogg" } },
   { Name = "token_zen", Files = { "sounds/token_zen.ogg" } },
   { Name = "token_slicer", Files = { "sounds/token_slicer.ogg" } },
   { Name = "token_tileblast", Files = { "sounds/token_tileblast.ogg" } },
   { Name = "token_double", Files = { "sounds/token_double.ogg" } },
   { Name = "token_triple", Files = { "sounds/token_triple.ogg" } },
   { Name = "token_timer", Files = { "sounds/token_timer.ogg" } },
   { Name = "token_unselect", Files = { "sounds/token_unselect.ogg" } },
   { Name = "tile_turned", Files = { "sounds/tile_turned.ogg" } },
   { Name = "zenpower_flowerblast", Files = { "sounds/zenpower_flowerblast.ogg" } },
   { Name = "zen_full", Files = { "sounds/zen_full.ogg" } },
   { Name = "well_enter", Files = { "sounds/well_enter.ogg" } },
   { Name = "well_leave", Files = { "sounds/well_leave.ogg" } },
   { Name = "time_warning", Files = { "sounds/time_warning.ogg" } },
   { Name = "zenpower_charge", Files = { "sounds/zenpower_charge.ogg" } },
   -- A spell that went off.
   { Name = "zenpower_match", Files = { "sounds/zenpower_match.ogg" } },
   { Name = "zenpower_fireball", Files = { "sounds/zenpower_fireball.ogg" } },
   { Name = "zenpower_tilegrab", Files = { "sounds/zenpower_tilegrab.ogg" } },
   { Name = "zenpower_lightning", Files = { "sounds/zenpower_lightning.ogg" } },
   -- A popup opening (once its frame has grown) and closing.
   { Name = "popup_open", Files = { "sounds/popup_open.ogg" } },
   { Name = "popup_close", Files = { "sounds/popup_close.ogg" } },
   -- Tips: a tip asked for, coming up and closing; its frame's corners flying in and out.
   { Name = "HINT_OPEN", Files = { "sounds/HINT_OPEN.ogg" } },
   { Name = "hint_up", Files = { "sounds/hint_up.ogg" } },
   { Name = "hint_close", Files = { "sounds/hint_close.ogg" } },
   { Name = "help_open", Files = { "sounds/help_open.ogg" } },
   { Name = "help_close", Files = { "sounds/help_close.ogg" } },
   -- The summary counting a number up.
   { Name = "score_countup", Files = { "sounds/score_countup.ogg" } },
}
