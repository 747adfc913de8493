-- The player has won: fireworks over the harbour front while the camera
-- circles them. When the bars close the game is over.
CATCHEVENT_CutSceneEnded = nil

function EVENT_Level(argument)
  Game.SetCutSceneIdentifier(1)
  Game.StartFireworks(0)
  Camera.SetFlybyMode("gamedata2\\paths\\flyby_win.tm")
  return 0
end

function CATCHEVENT_FlybyEnded(argument)
  Game.EndCutScene()
end
