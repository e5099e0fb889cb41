-- Behind the boards of free play: a still pond at dusk, a lantern on its string, petals
-- drifting down and two birds on the stones.
BGScene =
{
   Info =
   {
      -- An 800 x 600 picture in the top-left of a 1024 x 1024 image.
      BackgroundImg = "scenes/stillwater_bg.jpg",
      Width = 1,
      Height = 1,
      TileSize = { 1, 1 },
   },
   Background =
   {
      {
         Type = "bobdecal",
         Pos = { 0.05, 0.08 },
         Dir = { 0, 0.2 },
         Sort = -1,
         Rotation = 0,
         Paralax = 1,
         SpriteImg = "ui_img/lantern.png",
         Additive = 0,
         Alpha = 1,
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
         Pos = { 0.07, 0.94 },
         Sort = -1,
         Rotation = 0,
         Paralax = 1,
         Biped = "bird_idle",
      },
      {
         Type = "biped",
         Pos = { 0.93, 0.94 },
         Sort = -1,
         Rotation = 0,
         Paralax = 1,
         Biped = "bird_idle",
      },
   },
   Paths = {},
}
