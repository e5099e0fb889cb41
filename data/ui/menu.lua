-- The main menu's background scene: the menu picture and two flowers turning slowly
-- behind the panel.
BGScene =
{
   Info =
   {
      -- An 800 x 600 picture in the top-left of a 1024 x 1024 image.
      BackgroundImg = "ui_img/menu_bg.jpg",
      Width = 1,
      Height = 1,
      TileSize = { 1, 1 },
   },
   Background =
   {
      {
         Type = "rotdecal",
         Pos = { 0.03, 0.7 },
         Dir = { 0.02, 0 },
         Sort = -1,
         Rotation = 0,
         Paralax = 1,
         SpriteImg = "ui_img/flower.png",
         Additive = 0,
         Alpha = 0.55,
      },
      {
         Type = "rotdecal",
         Pos = { 0.8, 0.05 },
         Dir = { -0.015, 0 },
         Sort = -1,
         Rotation = 36,
         Paralax = 1,
         SpriteImg = "ui_img/flower.png",
         Additive = 0,
         Alpha = 0.45,
      },
   },
   Paths = {},
}
