-- The background scene of the credits: the menu picture under an evening of lanterns that
-- bob on their strings, a band of light that slides along the top (longer than the screen
-- is wide, so that it runs off the right edge) and petals falling past the scrolling names.
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
         Type = "uvdecal",
         Pos = { 0, 0.02 },
         Dir = { 0.02, 0 },
         Sort = -3,
         Rotation = 0,
         Paralax = 1,
         SpriteImg = "ui_img/light_band.png",
         Additive = 1,
         Alpha = 0.35,
      },
      {
         Type = "bobdecal",
         Pos = { 0.08, 0.12 },
         Dir = { 0, 0.12 },
         Sort = -2,
         Rotation = 0,
         Paralax = 1,
         SpriteImg = "ui_img/lantern.png",
         Additive = 0,
         Alpha = 0.9,
      },
      {
         Type = "bobdecal",
         Pos = { 0.84, 0.16 },
         Dir = { 0, 0.09 },
         Sort = -2,
         Rotation = 0,
         Paralax = 1,
         SpriteImg = "ui_img/lantern.png",
         Additive = 0,
         Alpha = 0.9,
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
