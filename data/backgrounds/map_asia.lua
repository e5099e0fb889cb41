-- Behind the story's map: the three regions of the journey as bands of their colours under
-- a night sky, a cloud drifting past the moon.
BGScene =
{
   Info =
   {
      -- An 800 x 600 picture in the top-left of a 1024 x 1024 image.
      BackgroundImg = "scenes/map_asia_bg.jpg",
      Width = 1,
      Height = 1,
      TileSize = { 1, 1 },
   },
   Background =
   {
      {
         Type = "pandecal",
         Pos = { 0.5, 0.02 },
         Dir = { 0.008, 0 },
         Sort = -2,
         Rotation = 0,
         Paralax = 1,
         SpriteImg = "ui_img/cloud.png",
         Additive = 0,
         Alpha = 0.35,
      },
   },
   Paths = {},
}
