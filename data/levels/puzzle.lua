-- Five bunches of one colour on the shop floor; clear them all.
-- No bunch touches another, so any order of chains empties the board.
GameMode = {}
Tiles = {
0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0,
0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0,
0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0,
0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0,
0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0,
0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0,
0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0,
0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0,
0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0,
0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
}
Blocks = {
  { Type = "flower", Color = "flower_1", X = 3, Y = 3, Width = 1, Height = 1 },
  { Type = "flower", Color = "flower_1", X = 4, Y = 3, Width = 1, Height = 1 },
  { Type = "flower", Color = "flower_1", X = 7, Y = 3, Width = 1, Height = 1 },
  { Type = "flower", Color = "flower_1", X = 8, Y = 3, Width = 1, Height = 1 },
  { Type = "flower", Color = "flower_1", X = 9, Y = 3, Width = 1, Height = 1 },
  { Type = "flower", Color = "flower_1", X = 3, Y = 4, Width = 1, Height = 1 },
  { Type = "flower", Color = "flower_1", X = 4, Y = 4, Width = 1, Height = 1 },
  { Type = "flower", Color = "flower_1", X = 11, Y = 5, Width = 1, Height = 1 },
  { Type = "flower", Color = "flower_1", X = 7, Y = 6, Width = 1, Height = 1 },
  { Type = "flower", Color = "flower_1", X = 8, Y = 6, Width = 1, Height = 1 },
  { Type = "flower", Color = "flower_1", X = 11, Y = 6, Width = 1, Height = 1 },
  { Type = "flower", Color = "flower_1", X = 3, Y = 7, Width = 1, Height = 1 },
  { Type = "flower", Color = "flower_1", X = 4, Y = 7, Width = 1, Height = 1 },
  { Type = "flower", Color = "flower_1", X = 7, Y = 7, Width = 1, Height = 1 },
  { Type = "flower", Color = "flower_1", X = 8, Y = 7, Width = 1, Height = 1 },
  { Type = "flower", Color = "flower_1", X = 11, Y = 7, Width = 1, Height = 1 },
  { Type = "flower", Color = "flower_1", X = 3, Y = 8, Width = 1, Height = 1 },
  { Type = "double", Color = "flower_1", X = 4, Y = 8, Width = 1, Height = 1 },
}
Decorations = {}
Info = { Background = "puzzle", Effect = "none" }
