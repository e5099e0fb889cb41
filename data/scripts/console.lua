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
-- refuses the second one): take a screen out of this list once the game makes it.
DataScreens =
{
   { Name = "menu", Panel = "ui/menu.ui", Enter = "OnEnterMainMenu()", Exit = "OnExitMainMenu()" },
}

Language = "english"
ScreenshotCount = 0

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

function SetupLanguage(name)
   if name == nil or name == "" then
      name = "english"
   end
   Language = string.lower(name)
   SetLocale(Language)
end

-- Nothing is kept between runs of the game's scripts yet, so there is nothing to reset.
function ReloadGame()
   LOG("Game scripts ready, language " .. Language)
end

-- The game's panels will be set up here; the data screens come with the first screen.
function OnInitUI()
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
      quit:SetPosition(Vec2(0.08, 0.4))
      AddUIPan(quit, 0.15, 0.35, Vec2(0.08, 0.32), "")
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
