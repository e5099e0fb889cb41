-- The lock gate: locked flowers at the corners, tile blasts on the rails.
GameMode = {}
Tiles = {
0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0,
0, 0, 1, 2, 2, 2, 2, 2, 2, 2, 2, 1, 0, 0, 0,
0, 0, 1, 2, 2, 3, 3, 3, 3, 2, 2, 1, 0, 0, 0,
0, 0, 1, 2, 2, 3, 3, 3, 3, 2, 2, 1, 0, 0, 0,
0, 0, 1, 2, 2, 2, 2, 2, 2, 2, 2, 1, 0, 0, 0,
0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0,
0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
}
Blocks = {
  { Type = "lockedflower", Color = "flower_1", X = 2, Y = 2, Width = 1, Height = 1 },
  { Type = "tileblast", Color = "any", X = 6, Y = 2, Width = 1, Height = 1 },
  { Type = "lockedflower", Color = "flower_1", X = 11, Y = 2, Width = 1, Height = 1 },
  { Type = "stone", Color = "any", X = 2, Y = 4, Width = 1, Height = 1 },
  { Type = "lockedflower", Color = "flower_1", X = 2, Y = 7, Width = 1, Height = 1 },
  { Type = "tileblast", Color = "any", X = 7, Y = 7, Width = 1, Height = 1 },
  { Type = "lockedflower", Color = "flower_1", X = 11, Y = 7, Width = 1, Height = 1 },
}
Decorations = {}
Info = { Background = "level_10", Effect = "none" }
