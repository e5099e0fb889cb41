-- The fashion popup and the fashion studio's scripts, run by console.lua at start-up.
--
-- After a won level and its summary, the end-of-level popup runs CheckShowPopup(true): the
-- popup "buy_popup" offers three pieces that the player does not own yet. A buy button
-- buys its offer once per opening (GetFashionPopup():OnBuyItem), for "fashion_cost"
-- coins, and then the studio "fashion_studio" opens, where the player dresses the heroine.

-- Pieces per slot that the clothes table holds (scripts/items.lua).
FASHION_PIECES = 6
FASHION_SLOTS = { "head", "upper", "lower" }
-- What each box of the popup offers: { slot, piece }.
FashionOffers = {}

local function HasPiece(vars, slot, piece)
   if slot == "head" then
      return vars:HasHeadPiece(piece)
   elseif slot == "upper" then
      return vars:HasUpperPiece(piece)
   end
   return vars:HasLowerPiece(piece)
end

local function AddPiece(vars, slot, piece)
   if slot == "head" then
      vars:AddHeadPiece(piece)
   elseif slot == "upper" then
      vars:AddUpperPiece(piece)
   else
      vars:AddLowerPiece(piece)
   end
end

-- Offers up to three pieces not owned yet, each from another slot while every slot has
-- one, and opens the popup with the popup transition. With nothing left to offer the
-- popup stays closed.
function CheckShowPopup(show)
   if not show or GetFashionPopup == nil then
      return
   end
   local vars = GetVars()
   local candidates = {}
   for _, slot in ipairs(FASHION_SLOTS) do
      for piece = 1, FASHION_PIECES do
         if not HasPiece(vars, slot, piece) then
            table.insert(candidates, { slot, piece })
         end
      end
   end
   -- A random order, then the first offer of each slot before any second one.
   for i = #candidates, 2, -1 do
      local j = math.random(i)
      candidates[i], candidates[j] = candidates[j], candidates[i]
   end
   local chosen, taken = {}, {}
   for pass = 1, 2 do
      for _, candidate in ipairs(candidates) do
         if #chosen < 3 and not taken[candidate] and (pass == 2 or not taken[candidate[1]]) then
            table.insert(chosen, candidate)
            taken[candidate] = true
            taken[candidate[1]] = true
         end
      end
   end
   local popup = GetFashionPopup()
   popup:Enable(true)
   FashionOffers = {}
   for box = 1, 3 do
      local offer = chosen[box]
      if offer ~= nil then
         FashionOffers[box] = offer
         popup:SetItem(box, offer[1], offer[2])
      else
         popup:SetItem(box, "", 0)
      end
   end
   if #chosen == 0 then
      popup:Enable(false)
      return
   end
   ShowFashionPrice(vars, #chosen)
   GetUITransition():PopupWidget("buy_popup", "buy_bg", "")
end

local function PopupWidget(name)
   return PanelWidget("buy_popup", name)
end

-- A text key's text followed by a number: "Price: 25".
local function SetLabelledNumber(name, key, value)
   local widget = PopupWidget(name)
   if widget ~= nil then
      widget:SetText(key)
      widget:AppendText(" " .. tostring(value))
   end
end

-- The popup opens on a clean page: no name or description of an earlier offer, the price
-- of a piece and the player's coins, and buy buttons only under the offers, taking clicks
-- only while the coins reach the price.
function ShowFashionPrice(vars, offers)
   local cost = vars:GetConstant("fashion_cost")
   local coins = vars:GetCoins()
   local name = PopupWidget("item_name")
   if name ~= nil then
      name:SetText("")
   end
   local description = PopupWidget("item_desc")
   if description ~= nil then
      description:SetText("SELECT_FASHION")
   end
   SetLabelledNumber("buy_price", "FASHION_PRICE", cost)
   SetLabelledNumber("buy_coins", "FASHION_COINS", coins)
   local affordable = coins >= cost
   for box = 1, 3 do
      local button = PopupWidget("buy" .. box)
      if button ~= nil then
         button:SetIsVisible(box <= offers)
         SetButtonActive(button, affordable, 0.6, 0.6, 0.6, 0.6)
      end
   end
end

-- The buy button of box `box`: the offer becomes the player's, for "fashion_cost" coins,
-- and the studio opens to try it on.
function BuyFashionItem(box)
   local offer = FashionOffers[box]
   local vars = GetVars()
   local cost = vars:GetConstant("fashion_cost")
   if offer == nil or vars:GetCoins() < cost then
      return
   end
   if not GetFashionPopup():OnBuyItem(box) then
      return
   end
   vars:AddCoins(-cost)
   AddPiece(vars, offer[1], offer[2])
   CloseFashionPopup()
   OpenStudio()
end

function CloseFashionPopup()
   GetFashionPopup():Enable(false)
   local panel = GetUIMan():GetPanel("buy_popup")
   if panel ~= nil then
      panel:SetIsVisible(false)
   end
end

-- The studio: shown above every panel and dressed from the profile.
function OpenStudio()
   local studio = GetStudio()
   studio:SetIsVisible(true)
   studio:RefreshParts()
end

function CloseStudio()
   GetStudio():SetIsVisible(false)
end

-- The clothes table and the figure, read here too: the studio shows the zen powers of
-- the pieces worn, which the scripts look up by sprite name.
-- A file that does not run leaves the powers at nothing.
pcall(dofile, "scripts/items.lua")
pcall(dofile, "hana/hana_setup.lua")
local itemsBySprite = {}
for _, item in ipairs(Clothes or {}) do
   if item.SpriteName ~= nil and itemsBySprite[string.lower(item.SpriteName)] == nil then
      itemsBySprite[string.lower(item.SpriteName)] = item
   end
end
local partPieces = {}
for _, part in ipairs(Character or {}) do
   if part.Name ~= nil and partPieces[part.Name] == nil then
      partPieces[part.Name] = part.Parts or {}
   end
end
local SLOT_PARTS = { head = "hair", upper = "dress", lower = "skirt" }

ZEN_POWERS = { "match", "fireball", "tilegrab", "flowerblast", "time", "lightning" }
-- The outfit's bonus to each zen power, in percent.
FashionPowers = {}

local function WornPiece(vars, slot)
   if slot == "head" then
      return vars:GetCurrentHead()
   elseif slot == "upper" then
      return vars:GetCurrentUpper()
   end
   return vars:GetCurrentLower()
end

-- The studio runs this after every refresh: each power box of the studio
-- ("studio_power1" to "studio_power6", in the order of ZEN_POWERS) shows what the pieces
-- worn add to that power, and hides while they add nothing.
function RefreshFashionZenPowers()
   local vars = GetVars()
   FashionPowers = {}
   for _, power in ipairs(ZEN_POWERS) do
      FashionPowers[power] = 0
   end
   for _, slot in ipairs(FASHION_SLOTS) do
      if GetHana():IsAvailable(slot) then
         local pieces = partPieces[SLOT_PARTS[slot]] or {}
         local sprite = pieces[WornPiece(vars, slot)]
         local item = sprite and itemsBySprite[string.lower(sprite)]
         if item ~= nil then
            for _, stat in ipairs({ { item.Stat1, item.Prob1 }, { item.Stat2, item.Prob2 } }) do
               local name = stat[1] and string.lower(stat[1])
               if name ~= nil and FashionPowers[name] ~= nil then
                  FashionPowers[name] = FashionPowers[name] + (stat[2] or 0)
               end
            end
         end
      end
   end
   local panel = GetUIMan():GetPanel("fashion_studio")
   if panel == nil then
      return
   end
   for n, power in ipairs(ZEN_POWERS) do
      local widget = panel:GetWidgetByName("studio_power" .. n)
      if widget ~= nil then
         local value = FashionPowers[power]
         widget:SetIsVisible(value > 0)
         widget:SetText(string.format("+%d%%", value))
      end
   end
end
