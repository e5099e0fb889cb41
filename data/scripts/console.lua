-- The game's main script, run once at start-up in the console's Lua state before the
-- engine registers its functions: it only sets values and defines functions. The engine
-- and the game call these functions by name:
--   OnStartUp()            once the engine's script functions exist
--   SetupLanguage(name)    right after, with the profile's language ("english" when none)
--   ReloadGame()           when start-up is through, and again before the console keys are bound
--   OnInitUI()             when the game's states are about to be made
--   GoToState(name)        to enter the first screen ("menu")
--   QuitGame()             the window's close button and the Escape key
--   CaptureAutoScreenshot(), CaptureMiniScreenshot()   the F3 and F4 keys
--   OnStartBGEditor(), OnStopBGEditor() and the other scene-editor functions below

-- The console's layout, in fractions of the play area's height.
Console =
{
   TextHeight = 0.35,
   PromptPos = 0.4,
   BackgroundHeight = 0.45,
}

-- Screens made from data alone: each is a name, a panel file (the screen's background
-- scene is the panel's name with ".lua" in place of ".ui") and the scripts run when it is
-- entered and left. They are made when the first screen is entered, after the game has
-- made its own states, so a state the game makes itself keeps its name (the game flow
-- refuses the second one). The game makes all of its screens itself.
DataScreens =
{
}

Language = "english"
ScreenshotCount = 0

-- The trophy room's buttons.
dofile("scripts/trophy_room.lua")
-- The fashion popup's and the studio's scripts.
dofile("scripts/fashion.lua")

local dataScreensMade = false

-- Registers the data screens with the game flow; only the first call does anything. It
-- runs once the game flow has its camera, which the screens take when they are made.
function MakeDataScreens()
   if dataScreensMade then
      return
   end
   dataScreensMade = true
   for _, screen in ipairs(DataScreens) do
      AddGameScreen(screen.Name, screen.Panel, screen.Enter, screen.Exit)
   end
end

function OnStartUp()
   LOG("Pellavo scripts started")
end

-- The language file "lang/<language>.lng" beside the program holds the game's texts. A
-- language without a file falls back to English: loading a missing file would leave the
-- game without any texts.
function LanguageFile(name)
   return "lang/" .. name .. ".lng"
end

local function HasLanguageFile(name)
   if io == nil then
      return name == "english"
   end
   local file = io.open(LanguageFile(name), "rb")
   if file == nil then
      return false
   end
   file:close()
   return true
end

function SetupLanguage(name)
   if name == nil or name == "" then
      name = "english"
   end
   name = string.lower(name)
   if name ~= "english" and not HasLanguageFile(name) then
      LOG("No language file for " .. name .. ", the texts stay English")
      name = "english"
   end
   Language = name
   SetLocale(Language)
   LoadLanguage(LanguageFile(Language))
end

-- Nothing is kept between runs of the game's scripts yet, so there is nothing to reset.
function ReloadGame()
   LOG("Game scripts ready, language " .. Language)
end

-- The game's panels that objects of the game look up once, when they are made: the
-- trophy room, the trophy popup, the highscores' "connecting" notice, and the level's
-- panels beside its display (ui/in_game.ui comes with the level state), each loaded
-- hidden. The data screens come with the first screen.
LevelPanels = { "ui/pause.ui", "ui/help_flash.ui", "ui/intro_dlg.ui", "ui/prompt.ui" }
-- The fashion popup and the fashion studio, which their objects look up.
table.insert(LevelPanels, "ui/buy_popup.ui")
table.insert(LevelPanels, "ui/fashion_studio.ui")

function OnInitUI()
   -- The profile chosen in an earlier run is the one in play.
   ApplyProfileCheatMode()
   if GetUIMan == nil then
      return
   end
   local files = { "ui/trophy_screen.ui", "ui/trophy_popup.ui", "ui/connecting.ui" }
   for _, file in ipairs(LevelPanels) do
      table.insert(files, file)
   end
   for _, file in ipairs(files) do
      local panel = GetUIMan():AddPanel(file)
      if panel ~= nil then
         panel:SetIsVisible(false)
      end
   end
end

-- The levels, the maps, the story's progress and the spells' costs.
dofile("scripts/progress.lua")

PromptScript = ""

-- Texts of the prompts' keys.
PromptTexts =
{
   NO_MOVES_LEFT = "No moves left! The flowers will be shuffled.",
   CONNECTION_FAIL = "The score server could not be reached. Please try again later.",
}

local function RunText(text)
   if text == nil or text == "" then
      return
   end
   local chunk, problem = load(text)
   if chunk == nil then
      LOG("Unable to run " .. text .. ": " .. tostring(problem))
      return
   end
   chunk()
end

local function ShowPanel(name, visible)
   if GetUIMan == nil then
      return nil
   end
   local panel = GetUIMan():GetPanel(name)
   if panel ~= nil then
      panel:SetIsVisible(visible)
      if visible then
         GetUIMan():PushPanelToFront(panel)
      end
   end
   return panel
end

-- The level state runs these twice each time it is entered or left: they only set
-- things that may be set twice.
function OnEnterGame()
   if GetGame == nil or GetGame() == nil then
      return
   end
   LoadLevelScene()
   ApplySpellCosts()
   GetGame():StartLevelOpening()
   GetGame():FinishLevelOpening()
   SetupTooltips()
end

function OnExitGame()
   ShowPanel("prompt_dlg", false)
   ShowPanel("intro_dlg", false)
end

function InitTweaks()
end

function CloseIngameUI(script)
   ShowPanel("prompt_dlg", false)
   ShowPanel("pause", false)
   ShowPanel("in_game", false)
   RunText(script)
end

-- A question with one answer over the level; the answer runs script.
function CreatePrompt(key, script)
   PromptScript = script
   local panel = ShowPanel("prompt_dlg", true)
   if panel == nil then
      AnswerPrompt()
      return
   end
   local text = panel:GetWidgetByName("prompt_txt")
   if text ~= nil then
      text:SetText(PromptTexts[key] or key)
   end
end

function AnswerPrompt()
   ShowPanel("prompt_dlg", false)
   local script = PromptScript
   PromptScript = ""
   RunText(script)
end

function CloseIntro()
   ShowPanel("intro_dlg", false)
end

-- The help popup's movies, read from the disk beside the program: each of its two movie
-- widgets plays its help movie, looping, from the start; closing the popup hides them and
-- lets their movies go. With movie help switched off in the settings, or when a movie
-- does not load, the popup shows no movie and its note instead.
HelpMovies = { flash_1 = "help/chain.swf", flash_2 = "help/spells.swf" }

local function MovieHelpEnabled()
   return GetVars == nil or GetVars():IsFlashHelpEnabled()
end

-- Plays a help movie in its widget; false when the movie does not load.
local function StartHelpMovie(widget, file)
   if not widget:SetFlashClip(file) then return false end
   widget:SetLoop(true)
   widget:PauseClip(false)
   widget:SetIsVisible(true)
   return true
end

function SetupFlashHelp()
   local panel = GetUIMan():GetPanel("help_flash")
   if not panel then return end
   local movies = MovieHelpEnabled()
   if movies then
      for name, file in pairs(HelpMovies) do
         local widget = panel:GetFlashWidgetByName(name)
         if widget and not StartHelpMovie(widget, file) then movies = false end
      end
      if not movies then ShutdownFlashHelp() end
   end
   local note = panel:GetWidgetByName("help_note")
   if note then
      note:SetIsVisible(not movies)
   end
end

function ShutdownFlashHelp()
   local panel = GetUIMan():GetPanel("help_flash")
   if not panel then return end
   for name, file in pairs(HelpMovies) do
      local widget = panel:GetFlashWidgetByName(name)
      if widget then
         widget:SetIsVisible(false)
         widget:SetFlashClip("")
      end
   end
end

function DoZenBreak(on)
end

function TriggerSpellTips()
end

-- The spell bars show each spell's charge against its cost.
function UpdateSpellUI()
   local panel = GetUIMan():GetPanel("in_game")
   if panel == nil or GetGame == nil or GetGame() == nil then
      return
   end
   for n = 1, 6 do
      local bar = panel:GetProgressByName(string.format("specials_%03i", n))
      local cost = SpellCost(n)
      if bar ~= nil then
         bar:SetIsVisible(cost > 0)
         if cost > 0 then
            bar:SetProgress(math.min(GetGame():GetZen(n) / cost, 1))
         end
      end
   end
end

-- A cast spell spends its charge; one that found nothing to do keeps it.
function SpellTriggered(name, on)
   if on and GetGame ~= nil and GetGame() ~= nil then
      for n, spell in ipairs(SpellNames) do
         if spell == name then
            GetGame():AddZen(-SpellCost(n), n - 1)
         end
      end
   end
   UpdateSpellUI()
end

-- Developer key P: every spell of the level charged at once.
function EnableAllSpells()
   if GetGame == nil or GetGame() == nil then
      return
   end
   for n = 1, 6 do
      GetGame():AddZen(SpellCost(n), n - 1)
   end
   UpdateSpellUI()
end

-- Closing a trophy popup: on the story screen (its last trophy) the trophy room goes and
-- its close command shows the credits; in a level the room goes without a command, so that
-- the level goes on. The trophy room screen keeps its room.
function OnTrophyPopupClose()
   if GetTrophyScreen == nil then
      return
   end
   local screen = GetTrophyScreen()
   if GetStoryState ~= nil and GetStoryState() ~= nil then
      screen:Enable(false)
   elseif GetGame ~= nil and GetGame() ~= nil then
      screen:SetCloseCmd("")
      screen:Enable(false)
   end
end

function OnTrophyIdle()
end

function GoToState(name)
   MakeDataScreens()
   GoState(name, 0)
end

-- The menu's card fades in and its button slides up into place.
local function AnimateMenuCard()
   if GetUIMan == nil then
      return
   end
   local card = GetUIMan():GetWidget("MenuCard")
   if card == nil then
      return
   end
   card:SetColor(1, 1, 1, 0)
   AddUIXFade(card, 0, 0.4, Vec2(0, 1), "")
   local quit = card:GetWidgetByName("QuitButton")
   if quit ~= nil then
      quit:SetPosition(Vec2(0.08, 0.724))
      AddUIPan(quit, 0.15, 0.35, Vec2(0.08, 0.644), "")
   end
end

function OnEnterMainMenu()
   AnimateMenuCard()
   -- The game's music player, once it exists, plays its own themes.
   if GetMusic == nil and GetAudio ~= nil then
      GetAudio():PlaySegment("menu")
   end
end

function OnExitMainMenu()
end

-- Moving between the screens. Screens and popups leave through these.
function MainMenu()
   GoState("menu", 0)
end

function GoCredits()
   GoState("credits", 0)
end

function OpenSettings()
   GoState("settings", 0)
end

function OpenTrophies()
   GoState("trophies", 0)
end

function OpenHighscores()
   GoState("highscore", 0)
end

-- The settings screen and the highscore screen's enter script.
dofile("scripts/settings.lua")

-- The trophy room shows the trophy screen's panel, which the trophy screen opens itself.
function OnEnterTrophy()
end

function OnExitTrophy()
end

function OnEnterCredits()
end

function OnExitGeneric()
end

function QuitGame()
   HardQuitGame()
end

-- Screenshots go to the working folder as pellavo_<date>_<n>.bmp; the mini one is half size.
local function Screenshot(half)
   ScreenshotCount = ScreenshotCount + 1
   TakeScreenshot(string.format("pellavo_%s_%d", os.date("%Y%m%d_%H%M%S"), ScreenshotCount), half)
end

function CaptureAutoScreenshot()
   Screenshot(false)
end

function CaptureMiniScreenshot()
   Screenshot(true)
end

-- The scene editor (F2 over a level in developer mode) runs these by name: keys 1 to 4
-- step through our pictures, tiles, particle files and animations, the wheel (with no
-- brush) steps the list in use, F8 to F10 ask for a file. GetBG and GetBGEditor come with
-- the level state; without them nothing happens. File dialogs give "" when there is no
-- desktop to show them on.
SceneEditor =
{
   Lists =
   {
      Decals = { "ui_img/cloud.png", "ui_img/lantern.png", "ui_img/light_strip.png", "ui_img/flower.png" },
      Tiles = { "ui_img/panel_bg.png", "ui_img/fade_bg.png" },
      Particles = { "effects/petals.p2d", "effects/sparkle.p2d" },
      Animations = { "bird_idle", "bird_peck" },
   },
   Index = { Decals = 0, Tiles = 0, Particles = 0, Animations = 0 },
   Current = "Decals",
}

local function SceneEditorOf()
   if GetBGEditor == nil then
      return nil
   end
   return GetBGEditor()
end

-- Gives the brush of list `name` its entry `step` places on from the current one.
local function UseSceneList(name, step)
   local editor = SceneEditorOf()
   if editor == nil then
      return
   end
   local list = SceneEditor.Lists[name]
   local index = (SceneEditor.Index[name] + step - 1) % #list + 1
   SceneEditor.Index[name] = index
   SceneEditor.Current = name
   local entry = list[index]
   if name == "Decals" then
      editor:AddDecal(entry)
   elseif name == "Tiles" then
      editor:SetBackgroundTile(entry)
   elseif name == "Particles" then
      editor:AddPartSys(entry)
   else
      editor:AddBiped(entry)
   end
end

function EditDecalBG()
   UseSceneList("Decals", 1)
end

function EditBackgroundBG()
   UseSceneList("Tiles", 1)
end

function EditPartBG()
   UseSceneList("Particles", 1)
end

function EditBipedBG()
   UseSceneList("Animations", 1)
end

function BgEditScrollEnvDown()
   UseSceneList(SceneEditor.Current, 1)
end

function BgEditScrollEnvUp()
   UseSceneList(SceneEditor.Current, -1)
end

-- Lists what the keys step through.
function ShowBgEditor()
   for _, name in ipairs({ "Decals", "Tiles", "Particles", "Animations" }) do
      LOG("Scene editor " .. name .. ": " .. table.concat(SceneEditor.Lists[name], ", "))
   end
end

function LoadBGImg()
   local editor = SceneEditorOf()
   local file = GetScript():GetOpenFile("jpg", "Background picture")
   if editor ~= nil and file ~= "" then
      editor:SetBackground(file)
   end
end

function SaveBackgroundFile()
   local file = GetScript():GetSaveFile("lua", "Save the scene")
   if GetBG ~= nil and file ~= "" then
      GetBG():Save(file)
   end
end

function LoadBackgroundFile()
   local file = GetScript():GetOpenFile("lua", "Load a scene")
   if GetBG ~= nil and file ~= "" then
      GetBG():Load(file)
   end
end

function OnStartBGEditor()
   LOG("Scene editor opened")
end

function OnStopBGEditor()
   LOG("Scene editor closed")
end

-- The level editor's F9 and F10: a file chosen in a dialog (none without a desktop).
function SaveEditorWell()
   local path = GetScript():GetSaveFile("lua", "Save the well")
   if path ~= nil and path ~= "" then
      GetGame():SaveWell(path)
   end
end

function LoadEditorWell()
   local path = GetScript():GetOpenFile("lua", "Load a well")
   if path ~= nil and path ~= "" then
      GetGame():LoadWell(path)
   end
end

-- The end of a level and the display's tooltips.
table.insert(LevelPanels, "ui/summary.ui")

-- The summary panel comes up and counts the level's results.
function ShowSummary(victory)
   -- The level's banner makes way for the summary and the popups after it.
   ShowPanel("kiv_victory", false)
   ShowPanel("kiv_defeat", false)
   local panel = ShowPanel("summary", true)
   if panel == nil or GetSummary == nil then
      return
   end
   GetSummary():Enable(true)
   GetSummary():Start(victory)
end

-- The summary's button: the panel closes and a score request still waiting is given up.
function CloseSummary()
   if GetSummary ~= nil then
      GetSummary():Cleanup()
   end
   ShowPanel("summary", false)
end

-- Resting the pointer on a part of the display tells what it is.
function SetupTooltips()
   if GetGame == nil or GetGame() == nil then
      return
   end
   GetGame():SetTooltip("btn_pause", "TOOLTIP_PAUSE")
   GetGame():SetTooltip("score_box", "TOOLTIP_SCORE")
   GetGame():SetTooltip("coins_box", "TOOLTIP_COINS")
   GetGame():SetTooltip("zen_power", "TOOLTIP_ZEN")
end
