-- The moon pond: surprises drawn from the level's weights at the corners and the middle.
GameMode = {}
Tiles = {
0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0,
0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0,
0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0,
0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0,
0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0,
0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0,
0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0,
0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0,
0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
}
Blocks = {
  { Type = "kiv_random_block", Color = "any", X = 2, Y = 2, Width = 1, Height = 1 },
  { Type = "kiv_random_block", Color = "any", X = 11, Y = 2, Width = 1, Height = 1 },
  { Type = "kiv_random_block", Color = "any", X = 6, Y = 5, Width = 1, Height = 1 },
  { Type = "kiv_random_block", Color = "any", X = 7, Y = 6, Width = 1, Height = 1 },
  { Type = "kiv_random_block", Color = "any", X = 2, Y = 9, Width = 1, Height = 1 },
  { Type = "kiv_random_block", Color = "any", X = 11, Y = 9, Width = 1, Height = 1 },
}
Decorations = {}
Info = { Background = "level_09", Effect = "none" }
