-- Monsoon: deep tiles in the middle of a wide field, zen stones and clocks on the rim.
GameMode = {}
Tiles = {
0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0,
0, 1, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 1, 0, 0,
0, 1, 2, 3, 3, 3, 3, 3, 3, 3, 3, 2, 1, 0, 0,
0, 1, 2, 3, 4, 4, 4, 4, 4, 4, 3, 2, 1, 0, 0,
0, 1, 2, 3, 4, 4, 4, 4, 4, 4, 3, 2, 1, 0, 0,
0, 1, 2, 3, 4, 4, 4, 4, 4, 4, 3, 2, 1, 0, 0,
0, 1, 2, 3, 3, 3, 3, 3, 3, 3, 3, 2, 1, 0, 0,
0, 1, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 1, 0, 0,
0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0,
0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
}
Blocks = {
  { Type = "zenblock", Color = "any", X = 1, Y = 1, Width = 1, Height = 1 },
  { Type = "timeblock", Color = "any", X = 6, Y = 1, Width = 1, Height = 1 },
  { Type = "zenblock", Color = "any", X = 12, Y = 1, Width = 1, Height = 1 },
  { Type = "tileblast", Color = "any", X = 1, Y = 5, Width = 1, Height = 1 },
  { Type = "tileblast", Color = "any", X = 12, Y = 5, Width = 1, Height = 1 },
  { Type = "zenblock", Color = "any", X = 1, Y = 9, Width = 1, Height = 1 },
  { Type = "timeblock", Color = "any", X = 7, Y = 9, Width = 1, Height = 1 },
  { Type = "zenblock", Color = "any", X = 12, Y = 9, Width = 1, Height = 1 },
}
Decorations = {}
Info = { Background = "level_14", Effect = "none" }
