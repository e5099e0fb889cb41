-- The clothes the heroine can wear: one row per piece, keyed by its sprite name (the same
-- name stands in the part's list of hana/hana_setup.lua). Name and Description are keys
-- of the string table. Stat1 and Stat2 name the bonuses a worn piece gives, Prob1 and Prob2
-- their amounts in percent: a zen power's name ("match", "fireball", "tilegrab",
-- "flowerblast", "time", "lightning") shows as its icon in the fashion popup; a flower
-- colour ("red", "blue", ...) or a block kind ("gem", "timeblock", ...) makes the board
-- deal more of it. Override names a slot that the piece hides while it is worn.
Clothes =
{
   { SpriteName = "hair1", Name = "ITEM_HAIR1", Description = "ITEM_HAIR1_DESC", PartID = "hair" },
   { SpriteName = "hair2", Name = "ITEM_HAIR2", Description = "ITEM_HAIR2_DESC", PartID = "hair",
     Stat1 = "fireball", Prob1 = 10, Stat2 = "yellow", Prob2 = 20 },
   { SpriteName = "hair3", Name = "ITEM_HAIR3", Description = "ITEM_HAIR3_DESC", PartID = "hair",
     Stat1 = "time", Prob1 = 10, Stat2 = "red", Prob2 = 20 },
   { SpriteName = "hair4", Name = "ITEM_HAIR4", Description = "ITEM_HAIR4_DESC", PartID = "hair",
     Stat1 = "match", Prob1 = 15 },
   { SpriteName = "hair5", Name = "ITEM_HAIR5", Description = "ITEM_HAIR5_DESC", PartID = "hair",
     Stat1 = "lightning", Prob1 = 10, Stat2 = "purple", Prob2 = 25 },
   { SpriteName = "hair6", Name = "ITEM_HAIR6", Description = "ITEM_HAIR6_DESC", PartID = "hair",
     Stat2 = "gem", Prob2 = 10 },

   { SpriteName = "dress1", Name = "ITEM_DRESS1", Description = "ITEM_DRESS1_DESC", PartID = "dress" },
   { SpriteName = "dress2", Name = "ITEM_DRESS2", Description = "ITEM_DRESS2_DESC", PartID = "dress",
     Stat1 = "flowerblast", Prob1 = 10, Stat2 = "purple", Prob2 = 20 },
   { SpriteName = "dress3", Name = "ITEM_DRESS3", Description = "ITEM_DRESS3_DESC", PartID = "dress",
     Stat1 = "tilegrab", Prob1 = 10, Stat2 = "green", Prob2 = 20 },
   { SpriteName = "dress4", Name = "ITEM_DRESS4", Description = "ITEM_DRESS4_DESC", PartID = "dress",
     Stat1 = "time", Prob1 = 15, Stat2 = "timeblock", Prob2 = 10 },
   { SpriteName = "dress5", Name = "ITEM_DRESS5", Description = "ITEM_DRESS5_DESC", PartID = "dress",
     Stat1 = "lightning", Prob1 = 15, Stat2 = "blue", Prob2 = 30, Override = "lower" },
   { SpriteName = "dress6", Name = "ITEM_DRESS6", Description = "ITEM_DRESS6_DESC", PartID = "dress",
     Stat1 = "fireball", Prob1 = 15, Stat2 = "zenblock", Prob2 = 10, Override = "lower" },

   { SpriteName = "skirt1", Name = "ITEM_SKIRT1", Description = "ITEM_SKIRT1_DESC", PartID = "skirt" },
   { SpriteName = "skirt2", Name = "ITEM_SKIRT2", Description = "ITEM_SKIRT2_DESC", PartID = "skirt",
     Stat1 = "match", Prob1 = 10, Stat2 = "green", Prob2 = 15 },
   { SpriteName = "skirt3", Name = "ITEM_SKIRT3", Description = "ITEM_SKIRT3_DESC", PartID = "skirt",
     Stat1 = "flowerblast", Prob1 = 10, Stat2 = "yellow", Prob2 = 20 },
   { SpriteName = "skirt4", Name = "ITEM_SKIRT4", Description = "ITEM_SKIRT4_DESC", PartID = "skirt",
     Stat1 = "tilegrab", Prob1 = 15 },
   { SpriteName = "skirt5", Name = "ITEM_SKIRT5", Description = "ITEM_SKIRT5_DESC", PartID = "skirt",
     Stat1 = "time", Prob1 = 10, Stat2 = "double", Prob2 = 10 },
   { SpriteName = "skirt6", Name = "ITEM_SKIRT6", Description = "ITEM_SKIRT6_DESC", PartID = "skirt",
     Stat1 = "lightning", Prob1 = 10, Stat2 = "blue", Prob2 = 20 },
}
