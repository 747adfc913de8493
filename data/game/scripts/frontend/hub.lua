-- The front end: the levels offered in the tutorial, single-player and
-- network lists, from the table of scripts\default\levels.lua. Registering an
-- id again replaces its entry, so this hub may run each time the menu opens.
C_RunScript("scripts\\default\\levels.lua")
RegisterLevels()

-- A network game's start selects its level here, before the level's own
-- script state exists, and the scenario manager raises "SetObjective": the
-- level start sets the objective itself, so there is nothing to do yet.
function EVENT_SetObjective(argument)
  return 0
end
