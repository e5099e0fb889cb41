-- Behind the trophy room: a hall of dark wood with lit shelves, lanterns bobbing at both
-- sides of the room's card.
BGScene =
{
   Info =
   {
      -- An 800 x 600 picture in the top-left of a 1024 x 1024 image.
      BackgroundImg = "scenes/trophies_bg.jpg",
      Width = 1,
      Height = 1,
      TileSize = { 1, 1 },
   },
   Background =
   {
      {
         Type = "bobdecal",
         Pos = { 0.018, 0.16 },
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
         Pos = { 0.922, 0.22 },
         Dir = { 0, 0.3 },
         Sort = -1,
         Rotation = 0,
         Paralax = 1,
         SpriteImg = "ui_img/lantern.png",
         Additive = 0,
         Alpha = 1,
      },
   },
   Paths = {},
}
