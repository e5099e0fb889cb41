-- Sprites of the user interface's own pictures: the button in its three looks and the
-- flower that marks the menus.
Sprites =
{
   { Name = "ui_button", ImageFile = "ui_img/button.png", SpriteC = 1 },
   { Name = "ui_button_over", ImageFile = "ui_img/button_over.png", SpriteC = 1 },
   { Name = "ui_button_down", ImageFile = "ui_img/button_down.png", SpriteC = 1 },
   { Name = "ui_flower", ImageFile = "ui_img/flower.png", SpriteC = 1 },
}
