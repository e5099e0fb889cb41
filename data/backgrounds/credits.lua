-- The background scene of the credits: the menu picture with a cloud drifting across the top, a
-- flower turning in a corner and petals falling from above the screen.
BGScene =
{
   Info =
   {
      BackgroundImg = "ui_img/menu_bg.jpg",
      Width = 1,
      Height = 1,
      TileSize = { 1, 1 },
   },
   Background =
   {
      {
         Type = "pandecal",
         Pos = { 0.3, 0.04 },
         Dir = { 0.012, 0 },
         Sort = -2,
         Rotation = 0,
         Paralax = 1,
         SpriteImg = "ui_img/cloud.png",
         Additive = 0,
         Alpha = 0.6,
      },
      {
         Type = "rotdecal",
         Pos = { 0.86, 0.78 },
         Dir = { 0.02, 0 },
         Sort = -1,
         Rotation = 0,
         Paralax = 1,
         SpriteImg = "ui_img/flower.png",
         Additive = 0,
         Alpha = 0.5,
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
