-- The goals levels name: Type is TIME, BIGSET, CLEAR_BLOCK, CLEAR_SET, MOVES, CLEAR_ALL
-- or CLEAR_TILE; Count is the target (seconds for TIME, chains for CLEAR_SET and MOVES,
-- blocks for CLEAR_BLOCK); BIGSET counts chains longer than Quality; an empty Color counts
-- every colour ("blue" is the first flower colour, then "green", "red", "yellow",
-- "purple"). As a level's Failure a TIME goal is its clock and a MOVES goal the number of
-- chains it allows.
Goals =
{
   -- Goals to win.
   { GoalName = "turn_tiles", Type = "CLEAR_TILE", Icon = "img/goal_tiles.png", Info = "GOAL_TILES" },
   { GoalName = "clear_board", Type = "CLEAR_ALL", Icon = "img/goal_clear.png", Info = "GOAL_CLEAR" },
   { GoalName = "long_chains", Type = "BIGSET", Count = 6, Quality = 4, Color = "", Icon = "img/goal_bigset.png", Info = "GOAL_BIGSET" },
   { GoalName = "long_chains_2", Type = "BIGSET", Count = 2, Quality = 4, Color = "", Icon = "img/goal_bigset.png", Info = "GOAL_BIGSET" },
   { GoalName = "long_blue_chains", Type = "BIGSET", Count = 5, Quality = 4, Color = "blue", Icon = "img/goal_bigset.png", Info = "GOAL_BIGSET" },
   { GoalName = "blue_blocks_45", Type = "CLEAR_BLOCK", Count = 45, Color = "blue", Icon = "img/goal_blocks.png", Info = "GOAL_BLOCKS" },
   { GoalName = "blocks_200", Type = "CLEAR_BLOCK", Count = 200, Color = "", Icon = "img/goal_blocks.png", Info = "GOAL_BLOCKS" },
   { GoalName = "blocks_120", Type = "CLEAR_BLOCK", Count = 120, Color = "", Icon = "img/goal_blocks.png", Info = "GOAL_BLOCKS" },
   { GoalName = "chains_12", Type = "CLEAR_SET", Count = 12, Color = "", Icon = "img/goal_sets.png", Info = "GOAL_SETS" },
   { GoalName = "green_chains_14", Type = "CLEAR_SET", Count = 14, Color = "green", Icon = "img/goal_sets.png", Info = "GOAL_SETS" },
   { GoalName = "purple_chains_12", Type = "CLEAR_SET", Count = 12, Color = "purple", Icon = "img/goal_sets.png", Info = "GOAL_SETS" },
   { GoalName = "moves_20", Type = "MOVES", Count = 20, Color = "", Icon = "img/goal_moves.png", Info = "GOAL_MOVES" },
   { GoalName = "calm_45", Type = "TIME", Count = 45, Icon = "img/goal_time.png", Info = "GOAL_CALM" },
   -- Failures: clocks and move limits.
   { GoalName = "time_120", Type = "TIME", Count = 120, Icon = "img/goal_time.png", Info = "GOAL_TIME" },
   { GoalName = "time_150", Type = "TIME", Count = 150, Icon = "img/goal_time.png", Info = "GOAL_TIME" },
   { GoalName = "time_180", Type = "TIME", Count = 180, Icon = "img/goal_time.png", Info = "GOAL_TIME" },
   { GoalName = "time_200", Type = "TIME", Count = 200, Icon = "img/goal_time.png", Info = "GOAL_TIME" },
   { GoalName = "time_240", Type = "TIME", Count = 240, Icon = "img/goal_time.png", Info = "GOAL_TIME" },
   { GoalName = "time_300", Type = "TIME", Count = 300, Icon = "img/goal_time.png", Info = "GOAL_TIME" },
   { GoalName = "moves_35", Type = "MOVES", Count = 35, Color = "", Icon = "img/goal_moves.png", Info = "GOAL_MOVE_LIMIT" },
   { GoalName = "moves_45", Type = "MOVES", Count = 45, Color = "", Icon = "img/goal_moves.png", Info = "GOAL_MOVE_LIMIT" },
   { GoalName = "moves_60", Type = "MOVES", Count = 60, Color = "", Icon = "img/goal_moves.png", Info = "GOAL_MOVE_LIMIT" },
}
