-- Blossom: a flower of tiles that deepens towards its heart; frozen buds on the petals.
GameMode = {}
Tiles = {
0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
0, 0, 0, 0, 2, 2, 2, 2, 2, 2, 0, 0, 0, 0, 0,
0, 0, 0, 2, 2, 3, 3, 3, 3, 2, 2, 0, 0, 0, 0,
0, 0, 2, 2, 3, 3, 4, 4, 3, 3, 2, 2, 0, 0, 0,
0, 0, 2, 2, 3, 4, 4, 4, 4, 3, 2, 2, 0, 0, 0,
0, 0, 2, 2, 3, 4, 4, 4, 4, 3, 2, 2, 0, 0, 0,
0, 0, 2, 2, 3, 3, 4, 4, 3, 3, 2, 2, 0, 0, 0,
0, 0, 0, 2, 2, 3, 3, 3, 3, 2, 2, 0, 0, 0, 0,
0, 0, 0, 0, 2, 2, 2, 2, 2, 2, 0, 0, 0, 0, 0,
0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
}
Blocks = {
  { Type = "frozenflower", Color = "flower_1", X = 4, Y = 1, Width = 1, Height = 1 },
  { Type = "frozenflower", Color = "flower_1", X = 9, Y = 1, Width = 1, Height = 1 },
  { Type = "frozenflower", Color = "flower_1", X = 2, Y = 4, Width = 1, Height = 1 },
  { Type = "frozenflower", Color = "flower_1", X = 11, Y = 5, Width = 1, Height = 1 },
  { Type = "frozenflower", Color = "flower_1", X = 4, Y = 8, Width = 1, Height = 1 },
  { Type = "frozenflower", Color = "flower_1", X = 9, Y = 8, Width = 1, Height = 1 },
}
Decorations = {}
Info = { Background = "level_06", Effect = "none" }
