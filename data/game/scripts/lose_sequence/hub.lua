-- The player has lost: the camera pulls slowly up and away from the city
-- that went on without them. When the bars close the game is over.
CATCHEVENT_CutSceneEnded = nil

function EVENT_Level(argument)
  Game.SetCutSceneIdentifier(2)
  Camera.SetFlybyMode("gamedata2\\paths\\flyby_lose.tm")
  return 0
end

function CATCHEVENT_FlybyEnded(argument)
  Game.EndCutScene()
end
