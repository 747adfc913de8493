-- Every level: the rules and the economy again (a new script state starts
-- with the game rules at 0 and a new game with empty preference rows), then,
-- when the level's own hub has run, the event "Level" puts up the starting
-- city. A level that builds its own city defines its own EVENT_Level.
-- A saved game raises "Level" too; the saved city then replaces this one.
C_RunScript("scripts\\default\\setup.lua")

SetUpCity()

function EVENT_Level(argument)
  BuildStartingCity()
  return 0
end

-- The scenario manager raises SetObjective after running the level's hub
-- again; a level states its goal in LevelObjective and LevelTarget.
LevelObjective = OBJECTIVE_PROFIT
LevelTarget = 100000

function EVENT_SetObjective(argument)
  Game.SetObjective(LevelObjective, LevelTarget)
  return 0
end
