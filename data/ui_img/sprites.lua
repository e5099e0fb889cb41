-- Sprites of the user interface's own pictures: the button in its three looks and the
-- flower that marks the menus.
Sprites =
{
   { Name = "ui_button", ImageFile = "ui_img/button.png", SpriteC = 1 },
   { Name = "ui_button_over", ImageFile = "ui_img/button_over.png", SpriteC = 1 },
   { Name = "ui_button_down", ImageFile = "ui_img/button_down.png", SpriteC = 1 },
   { Name = "ui_flower", ImageFile = "ui_img/flower.png", SpriteC = 1 },
   -- The highscore screen's tabs: the time frames hang from the top of the table, the
   -- local and global tabs stand on its foot; the chosen tab is highlighted.
   { Name = "top_tag_highlight", ImageFile = "ui_img/top_tag_highlight.png", SpriteC = 1 },
   { Name = "top_tag_dim", ImageFile = "ui_img/top_tag_dim.png", SpriteC = 1 },
   { Name = "bottom_tag_highlight", ImageFile = "ui_img/bottom_tag_highlight.png", SpriteC = 1 },
   { Name = "bottom_tag_dim", ImageFile = "ui_img/bottom_tag_dim.png", SpriteC = 1 },
}
