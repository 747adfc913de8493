-- The idle fly-by over the city, behind the front end and the credits. It
-- runs round its path until the player skips it or the credits are over.
function EVENT_Level(argument)
  Game.EnableCutSceneBypass()
  Camera.SetFlybyMode("gamedata2\\paths\\flyby_idle.tm")
  return 0
end

-- Round again.
function CATCHEVENT_FlybyEnded(argument)
end
