-- The tutorials: the standard city with no objective and no rivals; the
-- lesson (its number is stored with the level's id) is named when it opens.
-- The lessons' steps come with the panels they teach.
Lesson = Tutorials[Game.GetObjectiveTarget()]
LevelObjective = OBJECTIVE_NONE
LevelTarget = 0

function EVENT_LevelOpening(argument)
  if Lesson then Interface.CreatePrompt(Lesson[2], Lesson[3], LevelPrompt, 0) end
  return 0
end
