-- Every level: the rules and the economy again (a new script state starts
-- with the game rules at 0 and a new game with empty preference rows), then,
-- when the level's own hub has run, the event "Level" puts up the starting
-- city. A level that builds its own city defines its own EVENT_Level.
-- A saved game raises "Level" too; the saved city then replaces this one.
C_RunScript("scripts\\default\\setup.lua")

SetUpCity()

-- A level states its goal in LevelObjective and LevelTarget. The level
-- start resets the goals after the scenario manager's SetObjective, so the
-- level event sets the objective again.
LevelObjective = OBJECTIVE_PROFIT
LevelTarget = 100000

function EVENT_Level(argument)
  BuildStartingCity()
  Game.SetObjective(LevelObjective, LevelTarget)
  return 0
end

function EVENT_SetObjective(argument)
  Game.SetObjective(LevelObjective, LevelTarget)
  return 0
end
