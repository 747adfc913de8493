-- The front end: the levels offered in the tutorial, single-player and
-- network lists, from the table of scripts\default\levels.lua. Registering an
-- id again replaces its entry, so this hub may run each time the menu opens.
C_RunScript("scripts\\default\\levels.lua")
RegisterLevels()

-- A network level chosen in the menus runs its hub here, before the level's
-- own script state exists: the scenario manager runs the hub, which plays
-- its row, and raises "SetObjective". Only the objective's kind matters
-- here (the host page's goal rows follow it); the level start does both
-- again in the level's own state.
function PlayLevel(id)
  local level = FindLevel(id)
  MenuObjective = OBJECTIVE_NONE
  if level and level.objective then MenuObjective = level.objective end
end

function EVENT_SetObjective(argument)
  Game.SetObjective(MenuObjective or OBJECTIVE_NONE, 0)
  return 0
end
