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
   { Name = "textbox_new_text", Files = { "sounds/button_rollover.ogg" }, Bias = { 0.4 } },
   { Name = "block_select", Files = { "sounds/block_select.ogg" } },
   -- A popup opening (once its frame has grown) and closing.
   { Name = "popup_open", Files = { "sounds/popup_open.ogg" } },
   { Name = "popup_close", Files = { "sounds/popup_close.ogg" } },
}
