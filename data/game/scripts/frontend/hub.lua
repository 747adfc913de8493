-- The front end: the levels offered in the single-player and network lists.
-- Level ids: 200000 and up single-player, 300000 and up network games.
-- { id, name, folder, description }
Levels = {
  { 200001, "Free play", "freeplay", "Build a business empire in a city of your own choosing." },
  { 300001, "Free play", "freeplay", "Build a business empire against the other players." },
}

if Frontend then
  for i = 1, #Levels do
    local level = Levels[i]
    Frontend.RegisterLevel(level[1], level[2], level[3], level[4])
  end
end
