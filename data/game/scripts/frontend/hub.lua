-- The front end: the levels offered in the single-player and network lists.
-- Level ids: 100000 and up tutorials, 200000 and up single-player, 300000 and
-- up network games. A level states its objective in its own EVENT_Level: the
-- level start resets the goals after the scenario manager's "SetObjective".
-- Registering an id again replaces its entry, so this hub may run each time
-- the menu opens.
-- { id, folder, name, description }
Levels = {
  { 200001, "freeplay", "Free play", "Build a business empire in a city of your own choosing." },
  { 300001, "freeplay", "Free play", "Build a business empire against the other players." },
}

if Frontend then
  for i = 1, #Levels do
    local level = Levels[i]
    Frontend.RegisterLevel(level[1], level[2], level[3], level[4])
  end
end

-- A network game's start selects its level here, before the level's own
-- script state exists, and the scenario manager raises "SetObjective": the
-- level start sets the objective itself, so there is nothing to do yet.
function EVENT_SetObjective(argument)
  return 0
end
