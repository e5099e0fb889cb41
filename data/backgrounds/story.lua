-- Behind the story's chapters: a lantern-lit evening over the hills, lanterns bobbing at
-- both sides and petals drifting down.
BGScene =
{
   Info =
   {
      -- An 800 x 600 picture in the top-left of a 1024 x 1024 image.
      BackgroundImg = "scenes/story_bg.jpg",
      Width = 1,
      Height = 1,
      TileSize = { 1, 1 },
   },
   Background =
   {
      {
         Type = "bobdecal",
         Pos = { 0.04, 0.06 },
         Dir = { 0, 0.25 },
         Sort = -1,
         Rotation = 0,
         Paralax = 1,
         SpriteImg = "ui_img/lantern.png",
         Additive = 0,
         Alpha = 1,
      },
      {
         Type = "bobdecal",
         Pos = { 0.9, 0.08 },
         Dir = { 0, 0.3 },
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
   },
   Paths = {},
}
