-- Behind the map of free play: a still blue-green dusk over the water, petals drifting
-- down.
BGScene =
{
   Info =
   {
      -- An 800 x 600 picture in the top-left of a 1024 x 1024 image.
      BackgroundImg = "scenes/map_zen_bg.jpg",
      Width = 1,
      Height = 1,
      TileSize = { 1, 1 },
   },
   Background =
   {
      {
         Type = "partsys",
         Pos = { 0, -0.04 },
         Size = { 1, 0.02 },
         Sort = -1,
         Rotation = 0,
         Paralax = 1,
         PartSys = "effects/petals.p2d",
      },
   },
   Paths = {},
}
