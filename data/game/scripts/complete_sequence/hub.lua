-- The standard city is complete: fireworks over the park, the caption, the
-- three logos and the whole credits roll while the camera sweeps round; the
-- roll's end closes the bars and the game.
CATCHEVENT_CutSceneEnded = nil

function EVENT_Level(argument)
  Game.SetCutSceneIdentifier(3)
  Game.SetLogos(1)
  Game.SetCredits(1)
  Game.StartFireworks(1)
  Camera.SetFlybyMode("gamedata2\\paths\\flyby_complete.tm")
  return 0
end

-- Round again until the credits are over.
function CATCHEVENT_FlybyEnded(argument)
end
