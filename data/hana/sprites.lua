-- The heroine's sprites: her body and face, every piece of her clothes, "none" (which a
-- hidden slot's part shows: nothing), the icons of the six zen powers that the fashion
-- popup shows ("wildcard001" to "wildcard006") and the icons of its other bonuses, a
-- flower colour or a block kind ("bonus_<name>"). The face blinks, and a few pieces
-- move: their pictures hold their frames side by side. Each piece's picture is a frame
-- of the whole figure, with the piece where it lies on her; the fashion popup shows the
-- piece's "shop_<name>", the same frames cut to the piece.
local animated = { face = 6, hair3 = 4, dress4 = 4, skirt6 = 4,
                   shop_hair3 = 4, shop_dress4 = 4, shop_skirt6 = 4 }

Sprites = {}
local function Add(name)
   local frames = animated[name] or 1
   table.insert(Sprites, { Name = name, ImageFile = "hana/" .. name .. ".png", SpriteC = frames,
                           FrameTime = 6 })
end

Add("body")
Add("face")
Add("none")
for n = 1, 6 do
   for _, part in ipairs({ "hair", "dress", "skirt" }) do
      Add(part .. n)
      Add("shop_" .. part .. n)
   end
   Add(string.format("wildcard%03d", n))
end
-- The board's flower colours, by the names of its colour table, and the block kinds.
BonusIcons =
{
   "blue", "green", "red", "yellow", "purple", "black", "turqoise", "orange", "pink", "violet",
   "cyan", "white", "aqua", "beige", "coral", "indigo", "ivory", "lime", "generic1", "generic2",
   "generic3", "generic4", "generic5", "generic6",
   "flower", "double", "triple", "zenblock", "gem", "hcut", "vcut", "slashcut", "backslashcut",
   "xcut", "pluscut", "starcut", "timeblock", "frozenflower", "lockedflower", "stone", "tileblast",
}
for _, name in ipairs(BonusIcons) do
   Add("bonus_" .. name)
end
