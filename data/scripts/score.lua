-- The score table: points per chained block, time-bonus points per percent of the time
-- limit left at a won level, and the time spell's points per level in free play.
KIV_SCORE_DATA =
{
   { Score = 10 },
   { Score = 50 },
   { Score = 100 },
}
