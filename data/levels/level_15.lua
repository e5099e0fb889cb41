-- The festival: every kind of block around a field of tiles, and long chains to make.
GameMode = {}
Tiles = {
0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0,
0, 1, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 1, 0, 0,
0, 1, 2, 3, 3, 3, 3, 3, 3, 3, 3, 2, 1, 0, 0,
0, 1, 2, 3, 3, 2, 2, 2, 2, 3, 3, 2, 1, 0, 0,
0, 1, 2, 3, 2, 1, 1, 1, 1, 2, 3, 2, 1, 0, 0,
0, 1, 2, 3, 2, 1, 1, 1, 1, 2, 3, 2, 1, 0, 0,
0, 1, 2, 3, 3, 2, 2, 2, 2, 3, 3, 2, 1, 0, 0,
0, 1, 2, 3, 3, 3, 3, 3, 3, 3, 3, 2, 1, 0, 0,
0, 1, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 1, 0, 0,
0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0,
0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
}
Blocks = {
  { Type = "hcut", Color = "any", X = 1, Y = 1, Width = 1, Height = 1 },
  { Type = "gem[2]", Color = "any", X = 3, Y = 1, Width = 1, Height = 1 },
  { Type = "starcut", Color = "any", X = 5, Y = 1, Width = 1, Height = 1 },
  { Type = "xcut", Color = "any", X = 7, Y = 1, Width = 1, Height = 1 },
  { Type = "pluscut", Color = "any", X = 9, Y = 1, Width = 1, Height = 1 },
  { Type = "gem[5]", Color = "any", X = 11, Y = 1, Width = 1, Height = 1 },
  { Type = "slashcut", Color = "any", X = 12, Y = 1, Width = 1, Height = 1 },
  { Type = "kiv_random_block", Color = "any", X = 1, Y = 3, Width = 1, Height = 1 },
  { Type = "stone", Color = "any", X = 12, Y = 3, Width = 1, Height = 1 },
  { Type = "frozenflower", Color = "flower_1", X = 5, Y = 5, Width = 1, Height = 1 },
  { Type = "lockedflower", Color = "flower_1", X = 8, Y = 5, Width = 1, Height = 1 },
  { Type = "kiv_random_block", Color = "any", X = 5, Y = 6, Width = 1, Height = 1 },
  { Type = "timeblock", Color = "any", X = 8, Y = 6, Width = 1, Height = 1 },
  { Type = "tileblast", Color = "any", X = 1, Y = 7, Width = 1, Height = 1 },
  { Type = "lockedflower", Color = "flower_1", X = 12, Y = 7, Width = 1, Height = 1 },
  { Type = "backslashcut", Color = "any", X = 1, Y = 10, Width = 1, Height = 1 },
  { Type = "timeblock", Color = "any", X = 3, Y = 10, Width = 1, Height = 1 },
  { Type = "stone", Color = "any", X = 5, Y = 10, Width = 1, Height = 1 },
  { Type = "tileblast", Color = "any", X = 7, Y = 10, Width = 1, Height = 1 },
  { Type = "zenblock", Color = "any", X = 9, Y = 10, Width = 1, Height = 1 },
  { Type = "kiv_random_block", Color = "any", X = 11, Y = 10, Width = 1, Height = 1 },
  { Type = "vcut", Color = "any", X = 12, Y = 10, Width = 1, Height = 1 },
}
Decorations = {}
Info = { Background = "level_15", Effect = "none" }
