-- The spice market: stalls of tiles to turn, slicers of three kinds at the gates.
GameMode = {}
Tiles = {
0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0,
0, 0, 1, 1, 2, 2, 2, 2, 2, 2, 1, 1, 0, 0, 0,
0, 0, 1, 1, 2, 2, 2, 2, 2, 2, 1, 1, 0, 0, 0,
0, 0, 1, 1, 2, 2, 2, 2, 2, 2, 1, 1, 0, 0, 0,
0, 0, 1, 1, 2, 2, 2, 2, 2, 2, 1, 1, 0, 0, 0,
0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0,
0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
}
Blocks = {
  { Type = "xcut", Color = "any", X = 2, Y = 2, Width = 1, Height = 1 },
  { Type = "pluscut", Color = "any", X = 11, Y = 2, Width = 1, Height = 1 },
  { Type = "starcut", Color = "any", X = 2, Y = 7, Width = 1, Height = 1 },
  { Type = "timeblock", Color = "any", X = 6, Y = 7, Width = 1, Height = 1 },
  { Type = "gem[2]", Color = "any", X = 11, Y = 7, Width = 1, Height = 1 },
}
Decorations = {}
Info = { Background = "level_12", Effect = "none" }
