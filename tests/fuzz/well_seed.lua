-- A seed for fuzz_well_file: a board with a tile header and blocks of every kind.
GameMode = {}
Tiles = {
0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
0, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 0, 0,
0, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 0, 0,
0, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 0, 0,
0, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 0, 0,
0, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 0, 0,
0, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 0, 0,
0, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 0, 0,
0, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 0, 0,
0, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 0, 0,
0, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 0, 0,
0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
}
Blocks = {
  { Type = "gem[5]", Color = "flower_1", X = 2, Y = 2, Width = 1, Height = 1 },
  { Type = "double", Color = "flower_2", X = 3, Y = 2, Width = 1, Height = 1 },
  { Type = "starcut", Color = "any", X = 4, Y = 2, Width = 1, Height = 1 },
  { Type = "lockedflower", Color = "flower_3", X = 5, Y = 2, Width = 1, Height = 1 },
  { Type = "tileblast", Color = "any", X = 6, Y = 2, Width = 1, Height = 1 },
  { Type = "kiv_random_block", Color = "flower_4", X = 7, Y = 2, Width = 1, Height = 1 },
  { Type = "zenblock", Color = "any", X = 8, Y = 2, Width = 1, Height = 1 },
  { Type = "timeblock", Color = "any", X = 9, Y = 2, Width = 1, Height = 1 },
  { Type = "stone", Color = "any", X = 10, Y = 2, Width = 1, Height = 1 },
}
Decorations = { { Image = "leaf", X = 1, Y = 1, Layer = 4 } }
Info = { Background = "garden", Effect = "none" }
