-- The lagoon: a locked row between two bunches, a tile blast by the reeds, stones
-- on the shore. Every bunch is of one colour and stands apart.
GameMode = {}
Tiles = {
0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0,
0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0,
0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0,
0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0,
0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0,
0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0,
0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0,
0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0,
0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0,
0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0,
0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
}
Blocks = {
  { Type = "flower", Color = "flower_1", X = 5, Y = 3, Width = 1, Height = 1 },
  { Type = "double", Color = "flower_1", X = 6, Y = 3, Width = 1, Height = 1 },
  { Type = "flower", Color = "flower_1", X = 7, Y = 3, Width = 1, Height = 1 },
  { Type = "lockedflower", Color = "flower_1", X = 5, Y = 4, Width = 1, Height = 1 },
  { Type = "lockedflower", Color = "flower_1", X = 6, Y = 4, Width = 1, Height = 1 },
  { Type = "lockedflower", Color = "flower_1", X = 7, Y = 4, Width = 1, Height = 1 },
  { Type = "flower", Color = "flower_1", X = 5, Y = 5, Width = 1, Height = 1 },
  { Type = "flower", Color = "flower_1", X = 6, Y = 5, Width = 1, Height = 1 },
  { Type = "flower", Color = "flower_1", X = 7, Y = 5, Width = 1, Height = 1 },
  { Type = "flower", Color = "flower_1", X = 2, Y = 7, Width = 1, Height = 1 },
  { Type = "flower", Color = "flower_1", X = 2, Y = 8, Width = 1, Height = 1 },
  { Type = "stone", Color = "any", X = 3, Y = 8, Width = 1, Height = 1 },
  { Type = "tileblast", Color = "any", X = 9, Y = 8, Width = 1, Height = 1 },
  { Type = "flower", Color = "flower_1", X = 10, Y = 8, Width = 1, Height = 1 },
  { Type = "flower", Color = "flower_1", X = 11, Y = 8, Width = 1, Height = 1 },
  { Type = "flower", Color = "flower_1", X = 2, Y = 9, Width = 1, Height = 1 },
  { Type = "flower", Color = "flower_1", X = 10, Y = 9, Width = 1, Height = 1 },
  { Type = "triple", Color = "flower_1", X = 11, Y = 9, Width = 1, Height = 1 },
  { Type = "stone", Color = "any", X = 2, Y = 10, Width = 1, Height = 1 },
}
Decorations = {}
Info = { Background = "level_13", Effect = "none" }
