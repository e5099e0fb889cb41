-- The goals levels name: Type is TIME, BIGSET, CLEAR_BLOCK, CLEAR_SET, MOVES, CLEAR_ALL
-- or CLEAR_TILE; Count is the target (seconds for TIME); BIGSET counts chains longer
-- than Quality; an empty Color counts every colour.
Goals =
{
   { GoalName = "turn_tiles", Type = "CLEAR_TILE", Icon = "img/goal_tiles.png", Info = "GOAL_TILES" },
   { GoalName = "clear_board", Type = "CLEAR_ALL", Icon = "img/goal_clear.png", Info = "GOAL_CLEAR" },
   { GoalName = "long_chains", Type = "BIGSET", Count = 3, Quality = 5, Color = "", Icon = "img/goal_bigset.png", Info = "GOAL_BIGSET" },
   { GoalName = "time_180", Type = "TIME", Count = 180, Icon = "img/goal_time.png", Info = "GOAL_TIME" },
   { GoalName = "time_120", Type = "TIME", Count = 120, Icon = "img/goal_time.png", Info = "GOAL_TIME" },
   { GoalName = "time_150", Type = "TIME", Count = 150, Icon = "img/goal_time.png", Info = "GOAL_TIME" },
}
