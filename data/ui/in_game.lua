-- The level screen's own scene: nothing of its own; each level's board brings its scene.
BGScene =
{
   Info = { Width = 1, Height = 1, TileSize = { 1, 1 } },
   Background = {},
   Paths = {},
}
