-- The heroine's sprites: her body and face, every piece of her clothes, "none" (which a
-- hidden slot's part shows: nothing), and the icons of the six zen powers that the
-- fashion popup shows ("wildcard001" to "wildcard006"). The face blinks, and a few pieces
-- move: their pictures hold their frames side by side.
local animated = { face = 6, hair3 = 4, dress4 = 4, skirt6 = 4 }

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
   Add("hair" .. n)
   Add("dress" .. n)
   Add("skirt" .. n)
   Add(string.format("wildcard%03d", n))
end
