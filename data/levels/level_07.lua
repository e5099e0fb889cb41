-- A path of stones: bunches of one colour break the stones beside them and thaw
-- the frozen rows, which then make bunches of their own.
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
  { Type = "flower", Color = "flower_1", X = 2, Y = 2, Width = 1, Height = 1 },
  { Type = "flower", Color = "flower_1", X = 3, Y = 2, Width = 1, Height = 1 },
  { Type = "stone", Color = "any", X = 4, Y = 2, Width = 1, Height = 1 },
  { Type = "frozenflower", Color = "flower_1", X = 6, Y = 2, Width = 1, Height = 1 },
  { Type = "flower", Color = "flower_1", X = 7, Y = 2, Width = 1, Height = 1 },
  { Type = "flower", Color = "flower_1", X = 2, Y = 3, Width = 1, Height = 1 },
  { Type = "flower", Color = "flower_1", X = 3, Y = 3, Width = 1, Height = 1 },
  { Type = "frozenflower", Color = "flower_1", X = 6, Y = 3, Width = 1, Height = 1 },
  { Type = "flower", Color = "flower_1", X = 7, Y = 3, Width = 1, Height = 1 },
  { Type = "stone", Color = "any", X = 2, Y = 4, Width = 1, Height = 1 },
  { Type = "frozenflower", Color = "flower_1", X = 6, Y = 4, Width = 1, Height = 1 },
  { Type = "flower", Color = "flower_1", X = 7, Y = 4, Width = 1, Height = 1 },
  { Type = "stone", Color = "any", X = 9, Y = 6, Width = 1, Height = 1 },
  { Type = "flower", Color = "flower_1", X = 10, Y = 6, Width = 1, Height = 1 },
  { Type = "flower", Color = "flower_1", X = 11, Y = 6, Width = 1, Height = 1 },
  { Type = "flower", Color = "flower_1", X = 10, Y = 7, Width = 1, Height = 1 },
  { Type = "double", Color = "flower_1", X = 11, Y = 7, Width = 1, Height = 1 },
  { Type = "stone", Color = "any", X = 12, Y = 7, Width = 1, Height = 1 },
  { Type = "flower", Color = "flower_1", X = 2, Y = 8, Width = 1, Height = 1 },
  { Type = "flower", Color = "flower_1", X = 3, Y = 8, Width = 1, Height = 1 },
  { Type = "flower", Color = "flower_1", X = 4, Y = 8, Width = 1, Height = 1 },
  { Type = "stone", Color = "any", X = 10, Y = 8, Width = 1, Height = 1 },
  { Type = "frozenflower", Color = "flower_1", X = 2, Y = 9, Width = 1, Height = 1 },
  { Type = "frozenflower", Color = "flower_1", X = 3, Y = 9, Width = 1, Height = 1 },
  { Type = "frozenflower", Color = "flower_1", X = 4, Y = 9, Width = 1, Height = 1 },
}
Decorations = {}
Info = { Background = "level_07", Effect = "none" }
