-- The way through the game: the levels in play order, the maps that open them one after
-- the other, the story's chapters (game variable 9 holds the chapter reached), its end, free
-- play after it, and what the spells cost in each level. Loaded by scripts/console.lua.
--
-- Level progress lives in the profile: the level slot Index - 1 is 0 while the level is
-- closed, 1 once it is open, 2 once it is won in the story and 3 once it is won in free
-- play (the summary writes 2 and 3 and saves the profile; opening a level saves it here).

-- The level table, read here as well as by the level state: the scripts need each
-- level's slot, region, scene and spell costs.
dofile("scripts/levels.lua")

-- The story's levels in play order, the levels of free play, and every level by name.
LevelOrder = {}
FreeLevels = {}
LevelByName = {}

local function BuildLevelLists()
   local sorted = {}
   for _, level in ipairs(Levels or {}) do
      if type(level) == "table" and type(level.LevelName) == "string" and type(level.Index) == "number" then
         table.insert(sorted, level)
      end
   end
   table.sort(sorted, function(a, b) return a.Index < b.Index end)
   for _, level in ipairs(sorted) do
      if LevelByName[level.LevelName] == nil then
         LevelByName[level.LevelName] = level
         if (level.Region or 0) > 0 then
            table.insert(LevelOrder, level.LevelName)
         else
            table.insert(FreeLevels, level.LevelName)
         end
      end
   end
end

BuildLevelLists()

CurrentLevel = ""
local sceneLoaded = false

-- The story's chapters: the first is told before the first level, each of the others when
-- the last level of a region is won (the chapter number is the number of regions done).
-- Continuing from the last one ends the story.
StoryChapters =
{
   { Title = "STORY_TITLE_1", Text = "STORY_TEXT_1" },
   { Title = "STORY_TITLE_2", Text = "STORY_TEXT_2" },
   { Title = "STORY_TITLE_3", Text = "STORY_TEXT_3" },
   { Title = "STORY_TITLE_4", Text = "STORY_TEXT_4" },
}

local function Vars()
   if GetVars == nil then
      return nil
   end
   return GetVars()
end

local function Profile()
   if GetRMS == nil or not GetRMS():ProfileValid() then
      return nil
   end
   return GetRMS()
end

-- The chapter the profile has reached, 0 to #StoryChapters - 1.
function CurrentChapter()
   local vars = Vars()
   local chapter = 0
   if vars ~= nil then
      chapter = vars:GetCurrentStory()
   end
   return math.max(0, math.min(#StoryChapters - 1, chapter))
end

-- The story is told to its end once the last chapter is reached; free play opens then.
function StoryFinished()
   local vars = Vars()
   return vars ~= nil and vars:GetCurrentStory() >= #StoryChapters - 1
end

local function LevelSlot(name)
   local level = LevelByName[name]
   if level == nil then
      return nil
   end
   return level.Index - 1
end

function IsLevelOpen(name)
   local rms = Profile()
   local slot = LevelSlot(name)
   return rms ~= nil and slot ~= nil and rms:IsOpen(slot) >= 1
end

-- Opens a closed level; a level already open or won keeps its state.
function OpenLevel(name)
   local rms = Profile()
   local slot = LevelSlot(name)
   if rms ~= nil and slot ~= nil and rms:IsOpen(slot) == 0 then
      rms:SetOpen(slot, 1)
      return true
   end
   return false
end

local function SaveProgress()
   local rms = Profile()
   if rms ~= nil then
      rms:Save()
   end
end

-- A button that takes clicks in its own colours, or none in the dimmed colour given.
function SetButtonActive(button, active, r, g, b, a)
   button:SetIsActive(active)
   if active then
      button:SetColor(1, 1, 1, 1)
   else
      button:SetColor(r, g, b, a)
   end
end

-- A widget of a loaded panel, or nil (the fashion popup's scripts use it too).
function PanelWidget(panelName, widgetName)
   if GetUIMan == nil then
      return nil
   end
   local panel = GetUIMan():GetPanel(panelName)
   if panel == nil then
      return nil
   end
   return panel:GetWidgetByName(widgetName)
end

-- The looks of a level's button on the maps: open, and won (with a tick).
LEVEL_BUTTON_IMAGE = "ui_img/button.png"
LEVEL_WON_IMAGE = "ui_img/button_won.png"

-- Whether the profile has won the level: in the story (slot state 2) or, on the map of
-- free play, there (state 3).
function IsLevelWon(name, free)
   local rms = Profile()
   local slot = LevelSlot(name)
   if rms == nil or slot == nil then
      return false
   end
   local state = rms:IsOpen(slot)
   if free then
      return state >= 3
   end
   return state >= 2
end

-- A level's button on a map: active while the level is open, dimmed while it is closed,
-- and marked once it is won.
local function ShowLevelButton(panelName, name, open, won)
   local button = PanelWidget(panelName, "Level_" .. name)
   if button == nil then
      return
   end
   SetButtonActive(button, open, 1, 1, 1, 0.35)
   if won and open then
      button:SetOffImage(LEVEL_WON_IMAGE)
   else
      button:SetOffImage(LEVEL_BUTTON_IMAGE)
   end
end

-- Loads the named level and enters (or enters again) the level state.
function PlayLevel(name)
   if GetGame == nil or GetGame() == nil then
      LOG("No level state to play " .. tostring(name))
      return
   end
   CurrentLevel = name
   sceneLoaded = false
   if GetUIMan ~= nil then
      local prompt = GetUIMan():GetPanel("prompt_dlg")
      if prompt ~= nil then
         prompt:SetIsVisible(false)
      end
   end
   -- The heroine wears the profile's outfit, whose bonuses the board takes as it loads.
   if GetHana ~= nil then
      GetHana():ReloadCurrent()
   end
   if GetTrophyData ~= nil then
      GetTrophyData():OnNewLevel()
   end
   GetGame():LoadLevel(name)
   GoState("game", 0)
end

-- The scene behind the level's board, loaded once per level (the level state runs its
-- enter script twice).
function LoadLevelScene()
   if sceneLoaded or GetBG == nil or GetBG() == nil then
      return
   end
   local level = LevelByName[CurrentLevel or ""]
   if level ~= nil and type(level.Scene) == "string" and level.Scene ~= "" then
      GetBG():Load(level.Scene)
   end
   sceneLoaded = true
end

local function NextInOrder(name)
   for i, other in ipairs(LevelOrder) do
      if other == name then
         return LevelOrder[i + 1]
      end
   end
   return nil
end

-- The last story level of its region: the one after it lies in another region, or there
-- is none.
local function EndsRegion(name)
   local level = LevelByName[name]
   if level == nil or (level.Region or 0) <= 0 then
      return false
   end
   local nextName = NextInOrder(name)
   return nextName == nil or LevelByName[nextName].Region ~= level.Region
end

-- After a won level. In free play: back to its map. In the story: the next level opens;
-- the end of a region tells the next chapter on the story screen, otherwise the next level
-- starts at once.
function NextLevel()
   local vars = Vars()
   if vars ~= nil and vars:GetFreeplay() then
      MapZen()
      return
   end
   local level = LevelByName[CurrentLevel or ""]
   if level == nil then
      GoState("menu", 0)
      return
   end
   local nextName = NextInOrder(CurrentLevel)
   if nextName ~= nil then
      OpenLevel(nextName)
   end
   if EndsRegion(CurrentLevel) and vars ~= nil and vars:GetCurrentStory() < level.Region then
      vars:SetCurrentStory(level.Region)
      SaveProgress()
      OpenStory()
      return
   end
   SaveProgress()
   if nextName ~= nil then
      PlayLevel(nextName)
   else
      OpenStory()
   end
end

-- After a lost level: the same one again.
function ReplayLevel()
   PlayLevel(CurrentLevel)
end

function MapAsia()
   GoState("map_asia", 0)
end

function MapZen()
   GoState("map_zen", 0)
end

-- What the menu's Play or Free play asked for while there was no profile to play with
-- ("story" or "free"): the settings make the profile first, then it goes on.
PendingPlay = nil

-- Without a profile every level would be locked and nothing kept: the player makes one in
-- the settings first. True when the play may go on now.
local function ProfileReady(play)
   if Profile() ~= nil then
      return true
   end
   PendingPlay = play
   GoState("settings", 0)
   return false
end

-- The menu's buttons: the story goes on on the map of the story; free play has a map of
-- its own, whose levels open once the story is told.
function PlayStory()
   if not ProfileReady("story") then
      return
   end
   local vars = Vars()
   if vars ~= nil then
      vars:SetFreeplay(false)
   end
   MapAsia()
end

function PlayFree()
   if not ProfileReady("free") then
      return
   end
   local vars = Vars()
   if vars ~= nil then
      vars:SetFreeplay(true)
   end
   MapZen()
end

-- Once a profile is made, the play asked for before goes on.
function ContinuePendingPlay()
   local play = PendingPlay
   if play == nil or Profile() == nil then
      return false
   end
   PendingPlay = nil
   if play == "free" then
      PlayFree()
   else
      PlayStory()
   end
   return true
end

function OpenStory()
   GoState("story", 0)
end

local function SetWidgetText(panelName, widgetName, text)
   local widget = PanelWidget(panelName, widgetName)
   if widget ~= nil then
      widget:SetText(text)
   end
end

-- The story screen tells the chapter the profile has reached.
function OnEnterStory()
   local chapter = StoryChapters[CurrentChapter() + 1]
   SetWidgetText("story", "StoryTitle", chapter.Title)
   SetWidgetText("story", "StoryText", chapter.Text)
end

function OnExitStory()
end

-- After the last chapter the story ends with the adventure's trophy and the credits;
-- before it the journey goes on on the map.
function StoryContinue()
   if StoryFinished() and GetStoryState ~= nil and GetStoryState() ~= nil then
      GetStoryState():WinGame()
      return
   end
   MapAsia()
end

-- The story's map: the first level is open from the start, the others as the levels
-- before them are won.
function OnEnterMapAsia()
   local vars = Vars()
   if vars ~= nil then
      vars:SetFreeplay(false)
   end
   if LevelOrder[1] ~= nil and OpenLevel(LevelOrder[1]) then
      SaveProgress()
   end
   for _, name in ipairs(LevelOrder) do
      ShowLevelButton("map_asia", name, IsLevelOpen(name), IsLevelWon(name, false))
   end
end

-- The map of free play: once the story is told its own levels open, and every level of
-- the game can be played again there without a clock; winning them all there earns the
-- free-play trophy.
function OnEnterMapZen()
   local vars = Vars()
   if vars ~= nil then
      vars:SetFreeplay(true)
   end
   local finished = StoryFinished()
   if finished then
      local opened = false
      for _, name in ipairs(FreeLevels) do
         opened = OpenLevel(name) or opened
      end
      if opened then
         SaveProgress()
      end
   end
   for _, list in ipairs({ FreeLevels, LevelOrder }) do
      for _, name in ipairs(list) do
         ShowLevelButton("map_zen", name, finished and IsLevelOpen(name), IsLevelWon(name, true))
      end
   end
   local note = PanelWidget("map_zen", "ZenLockedNote")
   if note ~= nil then
      note:SetIsVisible(not finished)
   end
end

function OnExitMap()
end

-- Spells: their costs in zen per level (the level table's Spells; 0 keeps a spell out of
-- the level), and the spell buttons of the in-level display, which arm a spell once it is
-- fully charged.
SpellNames = { "match", "fireball", "tilegrab", "flowerblast", "time", "lightning" }
DefaultSpellCosts = { 8, 10, 8, 10, 6, 12 }

function SpellCost(n)
   local level = LevelByName[CurrentLevel or ""]
   local costs = DefaultSpellCosts
   if level ~= nil and type(level.Spells) == "table" then
      costs = level.Spells
   end
   return costs[n] or 0
end

function ApplySpellCosts()
   for n = 1, 6 do
      GetGame():SetSpellCost(n, SpellCost(n))
   end
   UpdateSpellUI()
end

function ArmSpell(n)
   if GetGame == nil or GetGame() == nil then
      return
   end
   local cost = SpellCost(n)
   if cost > 0 and GetGame():GetZen(n) >= cost then
      GetGame():TriggerSpell(n, 0)
   end
end
