-- The tutorials: the standard city with no objective and no rivals. The
-- lesson's number is stored with the level's id; its steps are in
-- lessons.lua. The level's opening message names the lesson, then the steps
-- follow one by one; after the last one the level ends as won, which ticks
-- the lesson in the list and returns there.
C_RunScript("scripts\\tutorial\\lessons.lua")

LessonNumber = Game.GetObjectiveTarget()
Lesson = Tutorials[LessonNumber]
Steps = Lessons[LessonNumber] or {}
LevelObjective = OBJECTIVE_NONE
LevelTarget = 0

-- The step on screen (0 before the first, past the last when done) and the
-- prompt ids: one per step, and the closing one.
Step = 0
StepPrompt = 100
DonePrompt = 99
-- Where the messages stand (moved from the middle of the screen, which is
-- clear of the statistics panel): in the middle, or at the top, clear of
-- the business panel.
Places = { centre = { 0, 0 }, left = { 0, 0 }, right = { 0, 0 }, top = { 2, -46 } }

function Contains(list, value)
  for i = 1, #list do
    if list[i] == value then return true end
  end
  return false
end

function SwitchControls(list, on)
  if list == nil then return end
  for i = 1, #list do
    if on then Interface.EnableControl(list[i]) else Interface.DisableControl(list[i]) end
  end
end

function ShowStep()
  local s = Steps[Step]
  if s == nil then
    Interface.EnableAllControls()
    Interface.CreatePrompt(3750, 3751, DonePrompt, 0)
    Interface.PositionPrompt(Places.centre[1], Places.centre[2])
    return
  end
  SwitchControls(s.unlock, true)
  if s.start then s.start() end
  if s.act then
    local place = Places[s.place or "left"]
    Interface.CreateMessage(Lesson[2], s.act, StepPrompt + Step, 0)
    Interface.PositionPrompt(place[1], place[2])
    if s.arrow then Interface.AddArrow(s.arrow[1], s.arrow[2]) end
  else
    Interface.CreatePrompt(Lesson[2], s.say, StepPrompt + Step, 0)
    Interface.PositionPrompt(Places.centre[1], Places.centre[2])
  end
end

function NextStep()
  local s = Steps[Step]
  if s and s.act then Interface.DismissPrompt() end
  Step = Step + 1
  ShowStep()
end

function EVENT_LessonDone(argument)
  Game.End(1, 1)
  return 0
end

function EVENT_LevelOpening(argument)
  if Lesson then
    SwitchControls(Steps.locked, false)
    Interface.CreatePrompt(Lesson[2], Lesson[3], LevelPrompt, 0)
  end
  return 0
end

-- The lesson's opening message, a step's OK, and the closing message.
function CATCHEVENT_InterfacePromptDismiss(id)
  if id == LevelPrompt and Step == 0 then
    Camera.SetCityView()
    NextStep()
  elseif id == DonePrompt then
    -- Ended from the next tick, not from inside the prompt's closing.
    C_TriggerEvent("LessonDone", 1, 0)
  elseif Steps[Step] and Steps[Step].say and id == StepPrompt + Step then
    NextStep()
  end
end

-- What the player did, by the interface's control ids and the game's
-- action events.
function CATCHEVENT_TutorialEvent(event)
  local s = Steps[Step]
  if s and s.act and Contains(s.wait, event) then NextStep() end
end

function CATCHEVENT_Picked3D(code)
  CATCHEVENT_TutorialEvent(PICKED_IN_CITY)
end
