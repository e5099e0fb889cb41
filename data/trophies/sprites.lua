-- The trophy room's sprites: for each trophy n of 1 to 24, "trophy_<n>_disabled" (not won,
-- or not yet revealed), "trophy_<n>_available" (won) and "trophy_<n>_selected" (won and
-- under the mouse; also the glow of a reveal), one picture each.
Sprites = {}
for n = 1, 24 do
   for _, state in ipairs({ "disabled", "available", "selected" }) do
      local name = string.format("trophy_%d_%s", n, state)
      table.insert(Sprites, { Name = name, ImageFile = "trophies/" .. name .. ".png", SpriteC = 1 })
   end
end
