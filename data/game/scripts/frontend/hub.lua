-- The front end: the levels offered in the tutorial, single-player and
-- network lists, from the table of scripts\default\levels.lua. Registering an
-- id again replaces its entry, so this hub may run each time the menu opens.
C_RunScript("scripts\\default\\levels.lua")
RegisterLevels()

-- A network game's start selects its level here, before the level's own
-- script state exists: the scenario manager runs the level's hub, which
-- plays its row, and raises "SetObjective". The level start does both again
-- in the level's own state, so here there is nothing to do yet.
function PlayLevel(id)
end

function EVENT_SetObjective(argument)
  return 0
end
