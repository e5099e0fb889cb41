-- The heroine's figure, drawn first to last: the body, her face, then the clothes of the
-- lower, upper and head slots ("skirt", "dress", "hair"). Every piece is a picture of one
-- 240 x 240 frame that lies on the figure, so every part sits at the figure's corner.
-- A part's pieces are numbered in the order of its Parts list: piece n of a slot is
-- entry n of its part.
Character =
{
   { Name = "body", Offset = { 0, 0 }, Parts = { "body" } },
   { Name = "face", Offset = { 0, 0 }, Parts = { "face" } },
   { Name = "skirt", Offset = { 0, 0 },
     Parts = { "skirt1", "skirt2", "skirt3", "skirt4", "skirt5", "skirt6" } },
   { Name = "dress", Offset = { 0, 0 },
     Parts = { "dress1", "dress2", "dress3", "dress4", "dress5", "dress6" } },
   { Name = "hair", Offset = { 0, 0 },
     Parts = { "hair1", "hair2", "hair3", "hair4", "hair5", "hair6" } },
}
