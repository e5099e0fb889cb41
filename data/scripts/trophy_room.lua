-- The trophy room's scripts, run by console.lua at start-up.
--
-- The room announces the all-trophies trophy (the last one) once every other trophy is
-- won, but never stores it: the close button of the trophy popup does, so that closing
-- the popup does not announce it again. Any other trophy the popup shows was stored by
-- whoever opened it.

ALL_TROPHIES = 24

-- The close button of the panel "trophy_popup".
function CloseTrophyPopup()
   local vars = GetVars()
   local owned = 0
   for n = 1, ALL_TROPHIES - 1 do
      if vars:HasTrophy(n) then
         owned = owned + 1
      end
   end
   if owned == ALL_TROPHIES - 1 then
      vars:AddTrophy(ALL_TROPHIES)
   end
   GetTrophyScreen():EnablePopup(false, 0)
end

-- The close button of the panel "trophy_screen".
function CloseTrophyRoom()
   GetTrophyScreen():Enable(false)
end
