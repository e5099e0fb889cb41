-- Behind the boards of Kiravel: an amber evening over the mountains, lanterns bobbing
-- on their strings, a cloud drifting, sparkles over the river and a bird on the bank.
BGScene =
{
   Info =
   {
      -- An 800 x 600 picture in the top-left of a 1024 x 1024 image.
      BackgroundImg = "scenes/kiravel_bg.jpg",
      Width = 1,
      Height = 1,
      TileSize = { 1, 1 },
   },
   Background =
   {
      {
         Type = "pandecal",
         Pos = { 0.1, 0.04 },
         Dir = { 0.01, 0 },
         Sort = -2,
         Rotation = 0,
         Paralax = 1,
         SpriteImg = "ui_img/cloud.png",
         Additive = 0,
         Alpha = 0.6,
      },
      {
         Type = "bobdecal",
         Pos = { 0.03, 0.1 },
         Dir = { 0, 0.3 },
         Sort = -1,
         Rotation = 0,
         Paralax = 1,
         SpriteImg = "ui_img/lantern.png",
         Additive = 0,
         Alpha = 1,
      },
      {
         Type = "bobdecal",
         Pos = { 0.91, 0.14 },
         Dir = { 0, 0.25 },
         Sort = -1,
         Rotation = 0,
         Paralax = 1,
         SpriteImg = "ui_img/lantern.png",
         Additive = 0,
         Alpha = 1,
      },
      {
         Type = "partsys",
         Pos = { 0, 0.8 },
         Size = { 1, 0.1 },
         Sort = -1,
         Rotation = 0,
         Paralax = 1,
         PartSys = "effects/sparkle.p2d",
      },
      {
         Type = "biped",
         Pos = { 0.08, 0.9 },
         Sort = -1,
         Rotation = 0,
         Paralax = 1,
         Biped = "bird_idle",
      },
   },
   Paths = {},
}
