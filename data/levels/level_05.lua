-- The tea house floor: each tile needs two chains; cuts and a clock in the corners.
GameMode = {}
Tiles = {
0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0,
0, 0, 1, 3, 3, 3, 3, 3, 3, 3, 3, 1, 0, 0, 0,
0, 0, 1, 3, 3, 3, 3, 3, 3, 3, 3, 1, 0, 0, 0,
0, 0, 1, 3, 3, 3, 3, 3, 3, 3, 3, 1, 0, 0, 0,
0, 0, 1, 3, 3, 3, 3, 3, 3, 3, 3, 1, 0, 0, 0,
0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0,
0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
}
Blocks = {
  { Type = "hcut", Color = "any", X = 2, Y = 2, Width = 1, Height = 1 },
  { Type = "vcut", Color = "any", X = 11, Y = 2, Width = 1, Height = 1 },
  { Type = "timeblock", Color = "any", X = 2, Y = 7, Width = 1, Height = 1 },
  { Type = "timeblock", Color = "any", X = 11, Y = 7, Width = 1, Height = 1 },
}
Decorations = {}
Info = { Background = "level_05", Effect = "none" }
