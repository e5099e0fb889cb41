-- Behind the boards of Sorrami: a pale sun over blossom hills, petals falling, a flower
-- turning in a corner and a bird on a hill.
BGScene =
{
   Info =
   {
      -- An 800 x 600 picture in the top-left of a 1024 x 1024 image.
      BackgroundImg = "scenes/sorrami_bg.jpg",
      Width = 1,
      Height = 1,
      TileSize = { 1, 1 },
   },
   Background =
   {
      {
         Type = "pandecal",
         Pos = { 0.5, 0.05 },
         Dir = { 0.008, 0 },
         Sort = -2,
         Rotation = 0,
         Paralax = 1,
         SpriteImg = "ui_img/cloud.png",
         Additive = 0,
         Alpha = 0.7,
      },
      {
         Type = "rotdecal",
         Pos = { 0.9, 0.82 },
         Dir = { 0.02, 0 },
         Sort = -1,
         Rotation = 0,
         Paralax = 1,
         SpriteImg = "ui_img/flower.png",
         Additive = 0,
         Alpha = 0.6,
      },
      {
         Type = "partsys",
         Pos = { 0, -0.04 },
         Size = { 1, 0.02 },
         Sort = -1,
         Rotation = 0,
         Paralax = 1,
         PartSys = "effects/petals.p2d",
      },
      {
         Type = "biped",
         Pos = { 0.92, 0.62 },
         Sort = -1,
         Rotation = 0,
         Paralax = 1,
         Biped = "bird_idle",
      },
   },
   Paths = {},
}
