-- Lanterns: gems hang at the corners; blue chains light the street.
GameMode = {}
Tiles = {
0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0,
0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0,
0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0,
0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0,
0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0,
0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0,
0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0,
0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
}
Blocks = {
  { Type = "gem[2]", Color = "any", X = 3, Y = 2, Width = 1, Height = 1 },
  { Type = "gem[5]", Color = "any", X = 10, Y = 2, Width = 1, Height = 1 },
  { Type = "kiv_random_block", Color = "any", X = 2, Y = 5, Width = 1, Height = 1 },
  { Type = "kiv_random_block", Color = "any", X = 11, Y = 5, Width = 1, Height = 1 },
  { Type = "gem[2]", Color = "any", X = 3, Y = 8, Width = 1, Height = 1 },
  { Type = "kiv_random_block", Color = "any", X = 10, Y = 8, Width = 1, Height = 1 },
}
Decorations = {}
Info = { Background = "level_04", Effect = "none" }
