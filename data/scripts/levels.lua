-- The levels in play order. Each names its board file, up to three goals and a failure
-- goal from scripts/goals.lua, its generator (AUTO deals flowers every GenSpeed seconds,
-- PUZZLE keeps the file's blocks) and the weights of the flower colours it deals.
Levels =
{
   {
      Index = 1, LevelName = "garden", country = "COUNTRY_FINLAND", city = "turku",
      Layout = "levels/garden.lua", BG = 1,
      Goal1 = "turn_tiles", Failure = "time_180",
      flower_1 = 10, flower_2 = 10, flower_3 = 10, flower_4 = 10,
      token_flower = 1,
      GenMode = "AUTO", GenSpeed = 0.25, Border = "wall", Music = "main",
   },
   {
      Index = 2, LevelName = "puzzle", country = "COUNTRY_FINLAND", city = "tampere",
      Layout = "levels/puzzle.lua", BG = 1,
      Goal1 = "clear_board", Failure = "time_120",
      flower_1 = 10,
      token_flower = 1,
      GenMode = "PUZZLE", GenSpeed = 0, Border = "wall", Music = "main",
   },
   {
      Index = 3, LevelName = "bigset", country = "COUNTRY_FINLAND", city = "oulu",
      Layout = "levels/bigset.lua", BG = 1,
      Goal1 = "long_chains", Failure = "time_150",
      flower_1 = 10, flower_2 = 10, flower_3 = 10,
      token_flower = 1,
      GenMode = "AUTO", GenSpeed = 0.25, Border = "wall", Music = "japanese",
   },
}
