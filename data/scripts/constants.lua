-- The game's tuning constants, read once at start-up. Each row names a constant and its
-- whole-number value; names compare without regard to case.
KIV_CONSTANTS = {
  -- Zen points that fill the zen meter.
  { Name = "max_zen", Value = 100 },
  -- Zen points that one matched token adds.
  { Name = "zen_per_token", Value = 2 },
  -- Sparkles that fly to the meter for each zen point.
  { Name = "particles_per_zen", Value = 3 },
  -- Coins that one piece of clothing costs in the shop.
  { Name = "fashion_cost", Value = 25 },
  -- Tiles that one tile blast clears.
  { Name = "tileblast_count", Value = 5 },
  -- Seconds that a time token adds to the clock.
  { Name = "time_token", Value = 10 },
  -- Seconds without a move before a hint is offered.
  { Name = "hint_interval", Value = 15 },
}
