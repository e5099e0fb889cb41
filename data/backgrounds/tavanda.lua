-- Behind the boards of Tavanda: green hills over the floating markets, a strip of light
-- moving on the water, a cloud, sparkles and a bird by the shore.
BGScene =
{
   Info =
   {
      -- An 800 x 600 picture in the top-left of a 1024 x 1024 image.
      BackgroundImg = "scenes/tavanda_bg.jpg",
      Width = 1,
      Height = 1,
      TileSize = { 1, 1 },
   },
   Background =
   {
      {
         Type = "pandecal",
         Pos = { 0.3, 0.06 },
         Dir = { 0.014, 0 },
         Sort = -2,
         Rotation = 0,
         Paralax = 1,
         SpriteImg = "ui_img/cloud.png",
         Additive = 0,
         Alpha = 0.55,
      },
      {
         Type = "uvdecal",
         Pos = { 0, 0.88 },
         Dir = { 0.05, 0 },
         Sort = -1,
         Rotation = 0,
         Paralax = 1,
         SpriteImg = "ui_img/light_strip.png",
         Additive = 1,
         Alpha = 0.5,
      },
      {
         Type = "partsys",
         Pos = { 0, 0.7 },
         Size = { 1, 0.1 },
         Sort = -1,
         Rotation = 0,
         Paralax = 1,
         PartSys = "effects/sparkle.p2d",
      },
      {
         Type = "biped",
         Pos = { 0.06, 0.7 },
         Sort = -1,
         Rotation = 0,
         Paralax = 1,
         Biped = "bird_idle",
      },
   },
   Paths = {},
}
