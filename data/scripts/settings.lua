-- The settings screen (ui/settings.ui): volumes in steps of 10, check boxes for full
-- screen, hints and movie help, the language of the texts, the profiles (create, choose
-- the next one, delete the current one) and a graph of the current profile's level scores.

-- The languages offered, in the list's order: the language's name (its file is
-- "lang/<name>.lng") and the text key of its entry in the list.
Languages =
{
   { Name = "english", Key = "LANGUAGE_ENGLISH" },
   { Name = "deutsch", Key = "LANGUAGE_DEUTSCH" },
   { Name = "suomi", Key = "LANGUAGE_SUOMI" },
   { Name = "svenska", Key = "LANGUAGE_SVENSKA" },
   { Name = "italiano", Key = "LANGUAGE_ITALIANO" },
}

function SettingsWidget(name)
   if GetUIMan == nil then
      return nil
   end
   return GetUIMan():GetWidget(name)
end

local function Vars()
   if GetVars == nil then
      return nil
   end
   return GetVars()
end

local function SetChecked(name, checked)
   local box = SettingsWidget(name)
   if box ~= nil then
      box:SetChecked(checked)
   end
end

-- The list of languages, filled once, showing the profile's language.
local function RefreshLanguageList(rms)
   local list = SettingsWidget("LanguageList")
   if list == nil then
      return
   end
   list:Clear()
   for _, language in ipairs(Languages) do
      list:AddOption(language.Key)
   end
   local current = string.lower(rms:GetLanguage())
   if current == "" then
      current = "english"
   end
   for index, language in ipairs(Languages) do
      if language.Name == current then
         list:SetCurrentOption(index - 1)
      end
   end
end

-- The best score of every level the profile has cleared, in the order of the level
-- records, after a first node of 0: the graph rises from its zero line, and a profile
-- that has cleared nothing still has the two nodes a graph needs.
function ProfileLevelScores()
   local scores = { 0 }
   local rms = GetRMS()
   if rms == nil or not rms:ProfileValid() then
      return scores
   end
   for level = 0, 1999 do
      if rms:IsCleared(level) then
         scores[#scores + 1] = rms:GetScore(level)
      end
   end
   if #scores < 2 then
      scores[2] = 0
   end
   return scores
end

local function RefreshScoreGraph()
   local graph = SettingsWidget("ScoreGraph")
   if graph ~= nil then
      graph:SetNodes(ProfileLevelScores())
      graph:RiseGraph()
   end
end

function RefreshSettings()
   local rms = GetRMS()
   local text = SettingsWidget("MusicValue")
   if text ~= nil then
      text:SetText(tostring(math.floor(rms:GetMusicVolume())))
   end
   text = SettingsWidget("SoundValue")
   if text ~= nil then
      text:SetText(tostring(math.floor(rms:GetSoundVolume())))
   end
   SetChecked("FullscreenCheck", rms:IsUseFullscreenEnabled())
   local vars = Vars()
   if vars ~= nil then
      SetChecked("HintsCheck", vars:IsHintEnabled())
      SetChecked("MovieHelpCheck", vars:IsFlashHelpEnabled())
   end
   text = SettingsWidget("ProfileValue")
   if text ~= nil then
      if rms:ProfileValid() then
         text:SetText(rms:GetName() .. " (" .. (rms:GetCurrentProfile() + 1) .. "/" .. rms:GetProfileC() .. ")")
      else
         text:SetText("no profile")
      end
   end
   RefreshScoreGraph()
end

local function Clamp(value)
   return math.max(0, math.min(100, value))
end

function ChangeMusicVolume(step)
   local rms = GetRMS()
   local volume = Clamp(math.floor(rms:GetMusicVolume()) + step)
   rms:SetMusicVolume(volume)
   GetAudio():SetMusicVolume(volume)
   RefreshSettings()
end

function ChangeSoundVolume(step)
   local rms = GetRMS()
   local volume = Clamp(math.floor(rms:GetSoundVolume()) + step)
   rms:SetSoundVolume(volume)
   GetAudio():SetSFXVolume(volume)
   RefreshSettings()
end

function ToggleFullscreen()
   local rms = GetRMS()
   local full = not rms:IsUseFullscreenEnabled()
   rms:SetUseFullscreenEnabled(full)
   if full then
      FullScreenMode()
   else
      WindowedMode()
   end
   RefreshSettings()
end

function ToggleHints()
   local vars = Vars()
   if vars ~= nil then
      vars:SetHintEnabled(not vars:IsHintEnabled())
   end
   RefreshSettings()
end

function ToggleMovieHelp()
   local vars = Vars()
   if vars ~= nil then
      vars:SetFlashHelp(not vars:IsFlashHelpEnabled())
   end
   RefreshSettings()
end

-- The language chosen in the list becomes the profile file's language and the game's.
function ChangeLanguage()
   local list = SettingsWidget("LanguageList")
   if list == nil then
      return
   end
   local language = Languages[list:GetSelected() + 1]
   if language == nil then
      return
   end
   GetRMS():SetLanguage(language.Name)
   SetupLanguage(language.Name)
   RefreshSettings()
end

-- A profile made with the cheat name plays in cheat mode (the level editor and the
-- developer keys answer, and its scores go online as 0); any other profile plays
-- without.
function ApplyProfileCheatMode()
   if GetVars == nil or GetRMS == nil then
      return
   end
   local rms = GetRMS()
   GetVars():SetCheatMode(rms ~= nil and rms:IsCheating())
end

-- Profile changes reach the trophies' view of the profile at once.
function ProfileChanged()
   ApplyProfileCheatMode()
   if GetTrophyData ~= nil then
      GetTrophyData():ProfileChanged()
   end
   RefreshSettings()
end

local function EditedText(name)
   local edit = SettingsWidget(name)
   if edit == nil then
      return ""
   end
   return edit:GetText()
end

local function ClearEdit(name)
   local edit = SettingsWidget(name)
   if edit ~= nil then
      edit:SetText("")
   end
end

-- A new profile of the name and home town typed in (the home town stands beside the
-- player's scores in the highscores and goes to the score server; it may stay empty).
-- When the menu's Play brought the player here, the play goes on with the new profile.
function CreateProfile()
   local rms = GetRMS()
   local name = EditedText("ProfileName")
   if name == "" then
      name = "Player " .. (rms:GetProfileC() + 1)
   end
   local made = rms:AddProfile(name, "", EditedText("ProfileTown"))
   if made then
      rms:Save()
      ClearEdit("ProfileName")
      ClearEdit("ProfileTown")
   end
   ProfileChanged()
   if made then
      ContinuePendingPlay()
   end
end

function NextProfile()
   local rms = GetRMS()
   if rms:GetProfileC() > 0 then
      rms:SetProfile((rms:GetCurrentProfile() + 1) % rms:GetProfileC())
   end
   ProfileChanged()
end

function DeleteProfile()
   local rms = GetRMS()
   if rms:ProfileValid() then
      rms:DeleteProfile(rms:GetCurrentProfile())
      if rms:GetCurrentProfile() < 0 and rms:GetProfileC() > 0 then
         rms:SetProfile(0)
      end
      rms:Save()
   end
   ProfileChanged()
end

function OnEnterSettings()
   RefreshLanguageList(GetRMS())
   RefreshSettings()
   -- Sent here by Play without a profile: a prompt says why, and the name box waits for
   -- the typing (again once the prompt's button has taken the focus).
   if PendingPlay ~= nil and not GetRMS():ProfileValid() then
      FocusProfileName()
      CreatePrompt("PROFILE_NEEDED", "DelayScript('FocusProfileName()', 0)")
   end
end

function FocusProfileName()
   local edit = SettingsWidget("ProfileName")
   if edit ~= nil and GetUIMan ~= nil then
      GetUIMan():SetEditWidget(edit)
   end
end

function OnExitSettings()
   -- Leaving without making a profile gives the play up.
   PendingPlay = nil
   local prompt = GetUIMan ~= nil and GetUIMan():GetPanel("prompt_dlg") or nil
   if prompt ~= nil then
      prompt:SetIsVisible(false)
   end
   GetRMS():Save()
end

-- The highscore screen fills its own table; its calendar shows the days of the time frames.
function OnEnterHighscore()
end
