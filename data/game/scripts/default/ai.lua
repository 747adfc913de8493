-- The computer players' characters. The program fills AiChars[0] to
-- AiChars[9], then raises for every character in play
-- LoadHseKeepingTimetable, LoadBuyBlockTimetable, LoadDifficultyVariables
-- and LoadBuildTimes with the character's row, and LoadScoreData once after
-- them. A level's own ai.lua may redefine any of these after this file.

-- One row a character, by token:
--   name, shops and homes (how much it likes each, 0..10), strategy bias,
--   business limit, prestige bias, base value multiplier, floors by building
--   size (ten), preferred lots per size band (five), build times
--   { first decision hour, day start, day end = night start, night end,
--   footprint re-plan period }, patience { demolish, auction wait, refurbish },
--   cash threshold { share of worth, cap }, price step.
Characters = {
  -- CAR: the cautious landlord. Builds homes, low and cheap, keeps all but
  -- its shops' share of its business limit for them, and waits long before
  -- giving up on a tenant.
  { "Landlord", 2, 10, { 10, 50, 30, 10 }, 14, 0, 90, { 1, 1, 2, 2, 2, 2, 3, 3, 3, 3 },
    { 2, 3, 4, 6, 8 }, { 9, 7, 18, 23, 120 }, { 9, 60, 6 }, { 0.25, 6000 }, 0.5 },
  -- CART: the aggressive bidder. Opens early, buys blocks at any price the
  -- city asks and answers every auction quickly.
  { "Bidder", 6, 5, { 60, 20, 10, 10 }, 14, 1, 130, { 1, 2, 2, 3, 3, 4, 4, 5, 5, 6 },
    { 3, 4, 6, 8, 10 }, { 7, 6, 19, 23, 60 }, { 3, 200, 3 }, { 0.1, 3000 }, 1.0 },
  -- DOG: the shopkeeper. Only shops, as many as it can, priced sharply.
  { "Shopkeeper", 10, 1, { 20, 40, 30, 10 }, 20, 1, 125, { 1, 1, 1, 2, 2, 2, 2, 3, 3, 3 },
    { 4, 5, 6, 8, 12 }, { 8, 7, 19, 23, 80 }, { 3, 100, 4 }, { 0.5, 6000 }, 0.2 },
  -- ROCKET: the tower builder. Few businesses on big footprints, tall: it
  -- keeps a fifth of its worth for the floors.
  { "Towers", 4, 8, { 30, 30, 30, 10 }, 6, 2, 120, { 3, 4, 5, 6, 7, 8, 9, 10, 11, 12 },
    { 4, 6, 4, 12, 16 }, { 10, 8, 18, 22, 150 }, { 5, 80, 5 }, { 0.2, 9000 }, 0.8 },
  -- CROWN: the prestige seeker. Upmarket shops and homes, pricey.
  { "Prestige", 6, 6, { 25, 35, 30, 10 }, 12, 4, 125, { 2, 2, 3, 3, 4, 4, 5, 5, 6, 6 },
    { 3, 4, 6, 9, 12 }, { 9, 7, 18, 23, 100 }, { 4, 90, 5 }, { 0.2, 10000 }, 1.5 },
  -- HORSE: the night trader. Builds from early morning into the night: its
  -- night window (10..23) is longer than its day window (6..10), so every
  -- centre it plans, among the day shops too, holds night trade.
  { "Night owl", 8, 3, { 30, 30, 30, 10 }, 14, 1, 105, { 1, 2, 2, 2, 3, 3, 3, 4, 4, 4 },
    { 2, 4, 6, 8, 10 }, { 6, 6, 10, 23, 80 }, { 5, 100, 4 }, { 0.2, 6000 }, 0.6 },
  -- KETTLE: the homebody. Homes first, slow and steady.
  { "Homebody", 1, 10, { 15, 45, 30, 10 }, 10, 0, 95, { 1, 2, 2, 2, 3, 3, 3, 3, 4, 4 },
    { 2, 3, 4, 6, 8 }, { 10, 9, 17, 21, 140 }, { 10, 60, 7 }, { 0.4, 10000 }, 0.4 },
  -- SHIP: the speculator. Buys blocks above all, quick to drop a loser.
  { "Speculator", 5, 5, { 70, 10, 10, 10 }, 10, 3, 150, { 1, 1, 2, 2, 2, 3, 3, 3, 4, 4 },
    { 2, 3, 4, 6, 8 }, { 6, 6, 19, 23, 100 }, { 2, 200, 2 }, { 0.1, 2000 }, 1.2 },
  -- PLANE: the skinflint. Small cheap buildings, a big cash cushion.
  { "Skinflint", 7, 4, { 10, 40, 40, 10 }, 9, 0, 85, { 1, 1, 1, 1, 2, 2, 2, 2, 2, 2 },
    { 1, 2, 4, 6, 8 }, { 11, 9, 18, 21, 160 }, { 9, 50, 8 }, { 0.6, 15000 }, 0.3 },
  -- TRUMPET: the all-rounder.
  { "All-rounder", 6, 6, { 30, 30, 30, 10 }, 12, 2, 110, { 1, 2, 2, 3, 3, 3, 4, 4, 5, 5 },
    { 2, 4, 6, 8, 12 }, { 8, 7, 19, 23, 90 }, { 6, 100, 4 }, { 0.25, 8000 }, 0.7 },
}

-- Per difficulty (easy, medium, hard): how many hours before a debt deadline
-- the character panics, its cash floor, and how much its patience and cash
-- threshold scale.
AiDifficulties = {
  { panic = 4, floor = 100, patience = 1.5, threshold = 1.2 },
  { panic = 6, floor = 150, patience = 1.0, threshold = 1.0 },
  { panic = 8, floor = 200, patience = 0.7, threshold = 0.8 },
}

function EVENT_LoadHseKeepingTimetable(row)
  local ai = AiChars[row]
  local c = Characters[row + 1]
  ai:SetTraits(c[2], c[3])
  ai:SetStrategySelectionBias(c[4][1], c[4][2], c[4][3], c[4][4])
  ai:SetMaxBusinesses(c[5])
  ai:SetPrestigeBias(c[6])
  ai:SetBaseValMultiplier(c[7])
  local f = c[8]
  ai:SetFloors(f[1], f[2], f[3], f[4], f[5], f[6], f[7], f[8], f[9], f[10])
  for band = 0, 4 do
    local lots = c[9][band + 1]
    ai:SetFootprint(band, lots, lots + 1, lots + 2)
  end
  ai:ResetTimeTable(HSE)
  ai:LoadTimeTable(HSE, 7, 30, TT_BUSINESS_STATES)
  ai:LoadTimeTable(HSE, 9, 0, TT_RENT)
  ai:LoadTimeTable(HSE, 12, 0, TT_SPOILAGE)
  ai:LoadTimeTable(HSE, 14, 0, TT_REFURBISH_BUS)
  ai:LoadTimeTable(HSE, 15, 0, TT_DEMOLISH)
  ai:LoadTimeTable(HSE, 16, 30, TT_TAKEOVER_BUS)
  ai:LoadTimeTable(HSE, 19, 30, TT_EOD_STOCK_AND_PRICE)
  return 0
end

function EVENT_LoadBuyBlockTimetable(row)
  local ai = AiChars[row]
  local first = Characters[row + 1][10][1]
  ai:ResetTimeTable(BLK)
  ai:LoadTimeTable(BLK, first, 0, TT_BUY_BLOCK)
  ai:LoadTimeTable(BLK, first + 5, 0, TT_BUY_BLOCK)
  return 0
end

function EVENT_LoadDifficultyVariables(row)
  local ai = AiChars[row]
  local c = Characters[row + 1]
  local p = c[11]
  for level = 0, 2 do
    local l = AiDifficulties[level + 1]
    -- panic hours, cash floor, spare, price step, threshold share, threshold
    -- cap, cost scale, random delay, spare cash, demolition patience, auction
    -- wait, refurbishment patience, two player factors, last byte
    ai:SetDifficultyVars(level, l.panic, l.floor, 0, c[13], c[12][1] * l.threshold, c[12][2] * l.threshold,
                         0, 8, 0, p[1] * l.patience, p[2], p[3] * l.patience, 0.1, 0.2, 0)
  end
  return 0
end

function EVENT_LoadBuildTimes(row)
  local ai = AiChars[row]
  local t = Characters[row + 1][10]
  for level = 0, 2 do
    ai:SetBuildTimes(level, t[1], 0, t[2], 0, t[3], 0, t[4], 0, t[5] - level * 20)
  end
  return 0
end

-- A tactic timetable that is given up, or that waits for money or for a
-- landscaped block, starts again from an empty table.
function RestartTactics(row)
  AiChars[row]:ResetTimeTable(TAC)
  return 0
end

function EVENT_Kill_TAC_Timetable(row) return RestartTactics(row) end
function EVENT_Wait4CashTT(row) return RestartTactics(row) end
function EVENT_LoadLandscapeBlockTT(row) return RestartTactics(row) end

function EVENT_LoadScoreData(argument)
  AiScores.blk2_Rentopia = 60
  AiScores.blk2_1left_city_owned = 40
  AiScores.blk2_opponent_rentopia = 30
  AiScores.blk2_Max_LandRent_Income = 20
  AiScores.blk3_Rentopia = 80
  AiScores.blk3_1left_city_owned = 50
  AiScores.blk3_2left_city_owned = 30
  AiScores.blk3_1left_player_owned = 25
  AiScores.blk3_opponent_rentopia = 40
  AiScores.blk3_opponent_2blocks = 35
  AiScores.blk3_Max_Rentopia = 90
  AiScores.blk3_Max_LandRent_Income = 25
  AiScores.RRUtil_Rentopia = 70
  AiScores.RRUtil_1left_city_owned = 45
  AiScores.RRUtil_2left_city_owned = 30
  AiScores.RRUtil_3left_city_owned = 20
  AiScores.RRUtil_3left_Bonus = 15
  AiScores.RRUtil_opponent_rentopia = 35
  AiScores.RRUtil_Max_LandRent_Income = 20
  -- The most a computer player wants any block, in per cent of its value:
  -- above 60 the players bid away the money they need to build.
  AiScores.MaxScoreCap = 60
  AiScores.MaxDevelopment = 100
  AiScores.MaxObjective = 100
  AiScores.MaxHindrance = 60
  AiScores.BasicBidVariance = 10
  AiScores.MaxTTscoreThreshold = 50
  C_SetMaxBlockPotential(100)
  C_SetBlockProfitThreshold(50)
  return 0
end
