-- Every level: the rules and the economy again (a new script state starts
-- with the game rules at 0 and a new game with empty preference rows), then
-- the level's own hub, which names its row of scripts\default\levels.lua with
-- PlayLevel. When the hubs have run, the event "Level" puts up the starting
-- city (a saved game brings its own city and skips it). The decades' new
-- businesses arrive through the BusinessIntro events of setup.lua.
C_RunScript("scripts\\default\\setup.lua")
C_RunScript("scripts\\default\\levels.lua")

SetUpCity()

-- ---- The difficulties ------------------------------------------------------------

-- What changes with the difficulty besides a level's own money and targets:
-- the railroad and utility income and the daily freight (SetDifficultyTweaks
-- of setup.lua), the price of land and how long a bought block is held.
DifficultyRules = {
  [DIFFICULTY_EASY] = { price = 0.85, lease = 1.5 },
  [DIFFICULTY_MEDIUM] = { price = 1.0, lease = 1.0 },
  [DIFFICULTY_HARD] = { price = 1.2, lease = 0.75 },
}

-- ---- The level being played --------------------------------------------------------

-- The level's row (nil until a level hub names one: the game is then free
-- play, with no objective).
CurrentLevel = nil
LevelObjective = OBJECTIVE_NONE
LevelTarget = 0

-- A number by difficulty from a { easy, medium, hard } list.
function ByDifficulty(list)
  local d = Game.GetDifficulty()
  if d < DIFFICULTY_EASY or d > DIFFICULTY_HARD then d = DIFFICULTY_MEDIUM end
  return list[d + 1]
end

function SetDistrictForSale(district, forSale)
  local blocks = Districts[district]
  for i = 1, #blocks do
    if forSale then Block[blocks[i]].ownable = TRUE else Block[blocks[i]].ownable = FALSE end
  end
end

-- The level's rules: run by its hub, so a loaded game has them too.
function PlayLevel(id)
  local level = FindLevel(id)
  if level == nil then return end
  CurrentLevel = level
  local rules = DifficultyRules[Game.GetDifficulty()] or DifficultyRules[DIFFICULTY_MEDIUM]
  if level.standard then rules = DifficultyRules[DIFFICULTY_MEDIUM] end
  LevelObjective = level.objective
  LevelTarget = level.targets and ByDifficulty(level.targets) or 0
  -- A network level's goal is the one its host chose.
  local chosen = Game.GetGoalValue()
  if chosen and chosen > 0 then LevelTarget = chosen end
  InitialValue.playermoney = ByDifficulty(level.money)
  Tweaks.blockleaselength = (level.lease or 240) * rules.lease
  SetDifficultyTweaks(level.rail or 1)
  if level.population then StartingPopulation = level.population end
  local price = (level.price or 1) * rules.price
  for i = 1, #AvenueBlocks do
    Block[AvenueBlocks[i][1]].value = AvenueBlocks[i][2] * price
  end
  for i = 1, #ServiceBlocks do
    Block[ServiceBlocks[i][1]].value = ServiceBlocks[i][2] * price
  end
  if level.open then
    for d = 1, #Districts do SetDistrictForSale(d, false) end
    for i = 1, #level.open do SetDistrictForSale(level.open[i], true) end
  end
end

-- Districts that opened during the game stay open in a loaded game.
function ReopenDistricts(day)
  if CurrentLevel and CurrentLevel.open and day >= CurrentLevel.openDay then
    for d = 1, #Districts do SetDistrictForSale(d, true) end
  end
end

-- ---- Events --------------------------------------------------------------------

function EVENT_Level(argument)
  BuildStartingCity()
  Game.SetObjective(LevelObjective, LevelTarget)
  -- Once the level runs: what it is about, and a look over the city.
  C_TriggerEvent("LevelOpening", 1, 0)
  return 0
end

-- The level was chosen again (the scenario manager ran its hub once more).
function EVENT_SetObjective(argument)
  Game.SetObjective(LevelObjective, LevelTarget)
  return 0
end

LevelPrompt = 1
NewsPrompt = 2

function EVENT_LevelOpening(argument)
  if CurrentLevel then
    -- With its OK button: the player reads it and goes on with a click.
    Interface.CreatePrompt(CurrentLevel.title, CurrentLevel.desc, LevelPrompt, LevelTarget)
    if CurrentLevel.flyby then Camera.SetFlybyMode("gamedata2\\paths\\flyby_city.tm") end
  end
  return 0
end

-- The city news of the level's day: closed districts opening, and the
-- paper wealth for the levels that are won by it.
function CATCHEVENT_BlockUnlock(day)
  if CurrentLevel == nil then return end
  if CurrentLevel.open and day == CurrentLevel.openDay then
    ReopenDistricts(day)
    Interface.CreateMessage(1948, 1950, NewsPrompt, 0)
  end
end

function CATCHEVENT_EndOfDay(argument)
  if CurrentLevel == nil then return end
  local objective = CurrentLevel.objective
  if objective == OBJECTIVE_PAPERWEALTH_BY_AMOUNT or objective == OBJECTIVE_PAPERWEALTH_BY_DATE then
    Interface.CreateMessage(1948, 1949, NewsPrompt, Player.GetWorth())
  end
end

function CATCHEVENT_HourlyUpdate(hour)
  if CurrentLevel and CurrentLevel.OnHour then CurrentLevel.OnHour(hour) end
end

-- The level's message closed: the player is on the way; nothing waits on it.
function CATCHEVENT_InterfacePromptDismiss(id)
  if id == LevelPrompt then Camera.SetCityView() end
end

function CATCHEVENT_Picked3D(code)
  if CurrentLevel and CurrentLevel.OnPick then CurrentLevel.OnPick(code) end
end

-- After the look over the city the camera stays over the first district.
function CATCHEVENT_FlybyEnded(argument)
  Camera.SetMode(DISTRICTCAM, LANTERN_DISTRICT)
end

function CATCHEVENT_CutSceneEnded(argument)
  Camera.SetCityView()
end
