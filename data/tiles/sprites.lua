-- Sprites of the scenes' background tiles.
Sprites =
{
   { Name = "tile_panel", ImageFile = "ui_img/panel_bg.png", SpriteC = 1 },
   { Name = "tile_fade", ImageFile = "ui_img/fade_bg.png", SpriteC = 1 },
}
