-- Every level the game offers, one row each. The front end registers them
-- from here, each level's own players.lua picks its rivals from here and
-- each level's own hub.lua plays its row with PlayLevel (scripts\default\hub.lua).
--
-- Ids: 1000xx tutorials, 2000xx single-player, 3000xx network games, 400001
-- the bonus level (opened by winning 200016), 400002 the sandbox.
--
-- A row of a single-player or network level:
--   id, folder, title and description (text ids; the description is shown
--     with the objective's target at the start),
--   objective and targets = { easy, medium, hard } (a day's profit, goods
--     sold, paper wealth, a calendar year, days at the head of the vote or
--     the first vote day); OBJECTIVE_NONE and no targets for free play,
--     which goes on until the player leaves it,
--   money = { easy, medium, hard }: every player's opening cash,
--   rivals = { { token, difficulty [, from = difficulty] }, ... }: the
--     computer players; one with from plays only at that game difficulty
--     and above,
--   token: the human player's token,
--   open = { district, ... }: the only districts for sale at the start (all
--     when not given); the rest go up for sale on day openDay,
--   price: land prices against the standard city, population: people in the
--     starting city, lease: how long a bought block is held (game hours),
--   standard: the standard city's land prices and leases at every difficulty.

Lantern = { LANTERN_AVENUE, CLOVERDALE_AVENUE, HARROWGATE_AVENUE }
Hollymead = { BRACKEN_AVENUE, HOLLYMEAD_AVENUE, ROSEWATER_AVENUE }
Willowby = { ST_OSWIN_PLACE, WILLOWBY_AVENUE, GRANDHAVEN_AVENUE }
Oakmont = { OAKMONT_AVENUE, EAST_MEADOW, AMBERLEIGH_AVENUE }
Crownlea = { ST_ALBIN_PLACE, CROWNLEA_AVENUE, MARIGOLD_AVENUE }
Hazelby = { QUENBY_GARDENS, HAZELBY_AVENUE, DUNMERE_AVENUE }
Strandway = { STRANDWAY, REGENCY_PLACE }
Fernley = { FERNLEY_AVENUE, SALTMARSH_AVENUE }
Docks = { DOCK_1, DOCK_2, DOCK_3 }
Districts = { Lantern, Hollymead, Willowby, Oakmont, Crownlea, Hazelby, Strandway, Fernley, Docks }

Tutorials = {
  { 100001, ID_TUTORIAL_1_TITLE, ID_TUTORIAL_1_DESC },
  { 100002, ID_TUTORIAL_2_TITLE, ID_TUTORIAL_2_DESC },
  { 100003, ID_TUTORIAL_3_TITLE, ID_TUTORIAL_3_DESC },
  { 100004, ID_TUTORIAL_4_TITLE, ID_TUTORIAL_4_DESC },
  { 100005, ID_TUTORIAL_5_TITLE, ID_TUTORIAL_5_DESC },
  { 100006, ID_TUTORIAL_6_TITLE, ID_TUTORIAL_6_DESC },
  { 100007, ID_TUTORIAL_6A_TITLE, ID_TUTORIAL_6A_DESC },
  { 100008, ID_TUTORIAL_7_TITLE, ID_TUTORIAL_7_DESC },
  { 100009, ID_TUTORIAL_8_TITLE, ID_TUTORIAL_8_DESC },
  { 100010, ID_TUTORIAL_9_TITLE, ID_TUTORIAL_9_DESC },
  { 100011, ID_TUTORIAL_10_TITLE, ID_TUTORIAL_10_DESC },
  { 100012, ID_TUTORIAL_11_TITLE, ID_TUTORIAL_11_DESC },
  { 100013, ID_TUTORIAL_12_TITLE, ID_TUTORIAL_12_DESC },
}

Levels = {
  -- The campaign: from a corner of the city to the whole of it.
  { id = 200001, folder = "corner_shop", title = ID_SINGLE_SCENARIO_1_TITLE, desc = ID_SINGLE_SCENARIO_1_DESC,
    objective = OBJECTIVE_PROFIT, targets = { 2000, 3000, 4500 }, money = { 9000, 7000, 5000 },
    rivals = { { 5, 0, from = 1 } }, token = 0, open = { 1, 2 }, openDay = 3, population = 700 },
  { id = 200002, folder = "main_street", title = ID_SINGLE_SCENARIO_2_TITLE, desc = ID_SINGLE_SCENARIO_2_DESC,
    objective = OBJECTIVE_SALES, targets = { 1500, 2500, 4000 }, money = { 9000, 7000, 5500 },
    rivals = { { 3, 0 } }, token = 1, open = { 1, 3, 4 }, openDay = 4, population = 900 },
  { id = 200003, folder = "harbour_lights", title = ID_SINGLE_SCENARIO_3_TITLE, desc = ID_SINGLE_SCENARIO_3_DESC,
    objective = OBJECTIVE_PAPERWEALTH_BY_AMOUNT, targets = { 30000, 45000, 65000 },
    money = { 8000, 6000, 4500 }, rivals = { { 5, 0 }, { 8, 1 } }, token = 7, open = { 8, 9 }, openDay = 5,
    price = 0.8 },
  { id = 200004, folder = "boom_town", title = ID_SINGLE_SCENARIO_4_TITLE, desc = ID_SINGLE_SCENARIO_4_DESC,
    objective = OBJECTIVE_PROFIT, targets = { 3000, 4500, 6500 }, money = { 8000, 6000, 5000 },
    rivals = { { 8, 1 }, { 6, 0 } }, token = 3, population = 1200,
    -- Newcomers arrive every noon until the city is full.
    OnHour = function(hour)
      if hour == 12 and People.NumberInCity() < 1800 then People.Create(30) end
    end },
  { id = 200005, folder = "tight_money", title = ID_SINGLE_SCENARIO_5_TITLE, desc = ID_SINGLE_SCENARIO_5_DESC,
    objective = OBJECTIVE_PROFIT, targets = { 2000, 3000, 4500 }, money = { 4000, 3000, 2200 },
    rivals = { { 0, 1 } }, token = 6, price = 0.75 },
  { id = 200006, folder = "land_rush", title = ID_SINGLE_SCENARIO_6_TITLE, desc = ID_SINGLE_SCENARIO_6_DESC,
    objective = OBJECTIVE_PAPERWEALTH_BY_AMOUNT, targets = { 25000, 45000, 70000 },
    money = { 10000, 8000, 6000 }, rivals = { { 6, 1 }, { 0, 1 } }, token = 5, price = 0.7, lease = 120 },
  { id = 200007, folder = "the_vote", title = ID_SINGLE_SCENARIO_7_TITLE, desc = ID_SINGLE_SCENARIO_7_DESC,
    objective = OBJECTIVE_FIRST_TO_BE_MAYOR, targets = { 3, 4, 5 }, money = { 9000, 7000, 5000 },
    rivals = { { 0, 1 }, { 6, 1 } }, token = 2 },
  { id = 200008, folder = "high_society", title = ID_SINGLE_SCENARIO_8_TITLE, desc = ID_SINGLE_SCENARIO_8_DESC,
    objective = OBJECTIVE_SALES, targets = { 1300, 4000, 6000 }, money = { 12000, 9000, 7000 },
    rivals = { { 0, 1 }, { 7, 1, from = DIFFICULTY_MEDIUM } }, token = 4, open = { 5, 6, 7 }, openDay = 6,
    price = 1.2 },
  { id = 200009, folder = "by_the_decade", title = ID_SINGLE_SCENARIO_9_TITLE, desc = ID_SINGLE_SCENARIO_9_DESC,
    objective = OBJECTIVE_PAPERWEALTH_BY_DATE, targets = { 1938, 1937, 1936 }, money = { 9000, 7000, 6000 },
    rivals = { { 8, 1 }, { 5, 1, from = DIFFICULTY_MEDIUM }, { 1, 1, from = DIFFICULTY_HARD } }, token = 9 },
  { id = 200010, folder = "weakest_link", title = ID_SINGLE_SCENARIO_10_TITLE, desc = ID_SINGLE_SCENARIO_10_DESC,
    objective = OBJECTIVE_WEAKEST_LINK, targets = { 6, 5, 4 }, money = { 9000, 7000, 6000 },
    rivals = { { 2, 1 }, { 6, 1 }, { 8, 1 }, { 7, 1, from = DIFFICULTY_HARD } }, token = 0 },
  { id = 200011, folder = "rail_baron", title = ID_SINGLE_SCENARIO_11_TITLE, desc = ID_SINGLE_SCENARIO_11_DESC,
    objective = OBJECTIVE_PAPERWEALTH_BY_AMOUNT, targets = { 70000, 95000, 130000 },
    money = { 16000, 12000, 9000 }, rivals = { { 4, 1, from = DIFFICULTY_MEDIUM }, { 9, 2 } }, token = 8, rail = 1.5 },
  { id = 200012, folder = "the_docks", title = ID_SINGLE_SCENARIO_12_TITLE, desc = ID_SINGLE_SCENARIO_12_DESC,
    objective = OBJECTIVE_PROFIT, targets = { 3000, 5000, 7000 }, money = { 7000, 5500, 4000 },
    rivals = { { 8, 2 } }, token = 7, open = { 9, 8, 4 }, openDay = 5, population = 1000 },
  { id = 200013, folder = "three_rivals", title = ID_SINGLE_SCENARIO_13_TITLE, desc = ID_SINGLE_SCENARIO_13_DESC,
    objective = OBJECTIVE_PROFIT, targets = { 3000, 6000, 8500 }, money = { 9000, 7000, 5500 },
    rivals = { { 3, 0 }, { 5, 0 }, { 6, 0 } }, token = 6 },
  { id = 200014, folder = "short_leases", title = ID_SINGLE_SCENARIO_14_TITLE, desc = ID_SINGLE_SCENARIO_14_DESC,
    objective = OBJECTIVE_SALES, targets = { 800, 3000, 4500 }, money = { 10000, 8000, 6500 },
    rivals = { { 0, 1 }, { 8, 2, from = DIFFICULTY_MEDIUM } }, token = 3, lease = 72 },
  { id = 200015, folder = "grand_avenue", title = ID_SINGLE_SCENARIO_15_TITLE, desc = ID_SINGLE_SCENARIO_15_DESC,
    objective = OBJECTIVE_PAPERWEALTH_BY_AMOUNT, targets = { 32000, 70000, 100000 },
    money = { 12000, 9000, 7000 }, rivals = { { 2, 2 }, { 6, 2 }, { 0, 2 } }, token = 1, price = 1.3 },
  { id = 200016, folder = "the_whole_city", title = ID_SINGLE_SCENARIO_16_TITLE, desc = ID_SINGLE_SCENARIO_16_DESC,
    objective = OBJECTIVE_FIRST_TO_BE_MAYOR, targets = { 3, 5, 7 }, money = { 10000, 8000, 6000 },
    rivals = { { 0, 2 }, { 5, 2 }, { 6, 2 }, { 8, 2 } }, token = 5, population = 1200 },
  { id = 400001, folder = "bonus", title = ID_SINGLE_SCENARIO_BONUS_TITLE, desc = ID_SINGLE_SCENARIO_BONUS_DESC,
    objective = OBJECTIVE_PAPERWEALTH_BY_DATE, targets = { 1945, 1942, 1940 }, money = { 3000, 2500, 2000 },
    rivals = { { 0, 2 }, { 2, 2, from = DIFFICULTY_MEDIUM }, { 4, 2, from = DIFFICULTY_MEDIUM },
      { 7, 2, from = DIFFICULTY_MEDIUM }, { 9, 2, from = DIFFICULTY_MEDIUM } },
    token = 8, price = 1.1 },
  { id = 400002, folder = "freeplay", title = ID_SINGLE_PLAYER_SANDBOX_MODE_TITLE,
    desc = ID_SINGLE_PLAYER_SANDBOX_MODE_DESC, objective = OBJECTIVE_NONE,
    money = { 15000, 10000, 5000 }, rivals = {}, token = 0, flyby = 1, standard = 1 },

  -- Network games: the humans come from the session; computer players fill
  -- the slots a level names.
  -- The open city shares the sandbox's folder and plays the sandbox's row.
  { id = 300001, folder = "freeplay", title = ID_MULTI_SCENARIO_1_TITLE, desc = ID_MULTI_SCENARIO_1_DESC,
    rivals = {}, token = 0 },
  { id = 300002, folder = "net_race", title = ID_MULTI_SCENARIO_2_TITLE, desc = ID_MULTI_SCENARIO_2_DESC,
    objective = OBJECTIVE_PROFIT, targets = { 2200, 4500, 6500 }, money = { 8000, 6000, 5000 },
    rivals = { { 5, 1 } }, token = 0 },
  { id = 300003, folder = "net_mayor", title = ID_MULTI_SCENARIO_3_TITLE, desc = ID_MULTI_SCENARIO_3_DESC,
    objective = OBJECTIVE_FIRST_TO_BE_MAYOR, targets = { 3, 4, 5 }, money = { 8000, 7000, 6000 },
    rivals = { { 6, 1 } }, token = 1 },
  { id = 300004, folder = "net_vote", title = ID_MULTI_SCENARIO_4_TITLE, desc = ID_MULTI_SCENARIO_4_DESC,
    objective = OBJECTIVE_WEAKEST_LINK, targets = { 6, 5, 4 }, money = { 8000, 7000, 6000 },
    rivals = { { 6, 1 }, { 8, 1 }, { 7, 1, from = DIFFICULTY_HARD } }, token = 2 },
  { id = 300005, folder = "net_harbour", title = ID_MULTI_SCENARIO_5_TITLE, desc = ID_MULTI_SCENARIO_5_DESC,
    objective = OBJECTIVE_PAPERWEALTH_BY_AMOUNT, targets = { 30000, 45000, 65000 },
    money = { 7000, 6000, 5000 }, rivals = { { 0, 1 } }, token = 3, open = { 8, 9 }, openDay = 4, price = 0.8 },
  { id = 300006, folder = "net_decade", title = ID_MULTI_SCENARIO_6_TITLE, desc = ID_MULTI_SCENARIO_6_DESC,
    objective = OBJECTIVE_PAPERWEALTH_BY_DATE, targets = { 1939, 1936, 1935 }, money = { 8000, 7000, 6000 },
    rivals = { { 0, 2 }, { 7, 1, from = DIFFICULTY_HARD } }, token = 4 },
}

function FindLevel(id)
  for i = 1, #Levels do
    if Levels[i].id == id then return Levels[i] end
  end
  return nil
end

-- The open city plays the sandbox's row, so it is free play too: no
-- objective in its description nor a goal on the host page.
do
  local open, sandbox = FindLevel(300001), FindLevel(400002)
  open.objective, open.targets, open.money = sandbox.objective, sandbox.targets, sandbox.money
end

-- The front end's list: tutorials share one folder and tell their lesson by
-- the number stored with their id.
function RegisterLevels()
  for i = 1, #Tutorials do
    local t = Tutorials[i]
    Frontend.RegisterLevel(t[1], "tutorial", t[2], t[3])
    Frontend.RegisterLevel_Id(t[1], "tutorial", i, 1)
  end
  for i = 1, #Levels do
    local l = Levels[i]
    Frontend.RegisterLevel(l.id, l.folder, l.title, l.desc)
  end
end

-- The token choice: the human player in slot 0, the computer players of
-- the game's difficulty after.
function ChoosePlayers(id)
  local level = FindLevel(id)
  if level == nil then return end
  Frontend.RegisterPlayer(0, HUMAN_PLAYER, level.token)
  local slot = 1
  for i = 1, #level.rivals do
    local rival = level.rivals[i]
    if rival.from == nil or Game.GetDifficulty() >= rival.from then
      Frontend.RegisterPlayer(slot, AI_PLAYER, rival[1], rival[2])
      slot = slot + 1
    end
  end
end
