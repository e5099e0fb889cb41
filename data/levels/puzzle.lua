-- A puzzle: twelve flowers and a gem on turned tiles; clear them all.
GameMode = {}
Tiles = {
0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
0, 0, 0, 0, 0, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0,
0, 0, 0, 0, 0, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0,
0, 0, 0, 0, 0, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0,
0, 0, 0, 0, 0, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0,
0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
}
Blocks = {
  { Type = "flower", Color = "flower_1", X = 5, Y = 4, Width = 1, Height = 1 },
  { Type = "flower", Color = "flower_1", X = 5, Y = 5, Width = 1, Height = 1 },
  { Type = "flower", Color = "flower_1", X = 5, Y = 6, Width = 1, Height = 1 },
  { Type = "flower", Color = "flower_1", X = 6, Y = 4, Width = 1, Height = 1 },
  { Type = "flower", Color = "flower_1", X = 6, Y = 5, Width = 1, Height = 1 },
  { Type = "flower", Color = "flower_1", X = 6, Y = 6, Width = 1, Height = 1 },
  { Type = "flower", Color = "flower_1", X = 7, Y = 4, Width = 1, Height = 1 },
  { Type = "flower", Color = "flower_1", X = 7, Y = 5, Width = 1, Height = 1 },
  { Type = "flower", Color = "flower_1", X = 7, Y = 6, Width = 1, Height = 1 },
  { Type = "flower", Color = "flower_1", X = 8, Y = 4, Width = 1, Height = 1 },
  { Type = "flower", Color = "flower_1", X = 8, Y = 5, Width = 1, Height = 1 },
  { Type = "flower", Color = "flower_1", X = 8, Y = 6, Width = 1, Height = 1 },
  { Type = "gem[5]", Color = "any", X = 6, Y = 7, Width = 1, Height = 1 },
  { Type = "flower", Color = "flower_1", X = 7, Y = 7, Width = 1, Height = 1 },
  { Type = "flower", Color = "flower_1", X = 5, Y = 7, Width = 1, Height = 1 },
  { Type = "flower", Color = "flower_1", X = 8, Y = 7, Width = 1, Height = 1 },
}
Decorations = {}
Info = { Background = "garden", Effect = "none" }
