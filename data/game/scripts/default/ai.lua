-- The computer players' characters. The program fills the AiChars objects,
-- then raises for every character in play LoadHseKeepingTimetable,
-- LoadBuyBlockTimetable, LoadDifficultyVariables and LoadBuildTimes with the
-- character's row, and LoadScoreData once after them. A level's own ai.lua
-- may redefine any of these after this file.

-- { traits, strategy bias, business limit, prestige bias, base value
--   multiplier } by character row 0 to 9: careful builders, landlords,
--   shopkeepers and speculators.
Characters = {
  { 3, 7, 40, 30, 20, 10, 12, 0, 100 },
  { 7, 3, 20, 40, 30, 10, 10, 2, 110 },
  { 5, 5, 25, 25, 25, 25, 14, 1, 100 },
  { 8, 2, 10, 20, 50, 20, 16, 3, 120 },
  { 2, 8, 50, 20, 20, 10, 10, 0, 90 },
  { 6, 4, 30, 30, 30, 10, 12, 2, 105 },
  { 4, 6, 35, 35, 20, 10, 12, 1, 100 },
  { 9, 1, 10, 10, 40, 40, 18, 4, 130 },
  { 1, 9, 60, 20, 10, 10, 8, 0, 85 },
  { 5, 5, 30, 30, 20, 20, 14, 2, 100 },
}

-- Floors of a building by size, smallest first.
Floors = { 1, 2, 2, 3, 3, 4, 4, 5, 6, 8 }

-- Footprint preferences by size band: { band, three preferred places }.
Footprints = { { 0, 1, 2, 3 }, { 1, 2, 3, 4 }, { 2, 3, 4, 5 }, { 3, 4, 5, 6 }, { 4, 5, 6, 7 } }

-- The difficulty rows, easy to hard: panic hours, cash floor, three spending
-- shares, the cash threshold cap, six tactic bytes (the fifth: how far down
-- the auction clock the character waits), two price factors and a last byte.
Difficulty = {
  { 4, 100, 0.4, 0.5, 0.3, 15000, 2, 3, 4, 5, 60, 6, 0.9, 1.1, 1 },
  { 6, 150, 0.5, 0.6, 0.4, 20000, 3, 4, 5, 6, 80, 8, 1.0, 1.2, 2 },
  { 8, 200, 0.6, 0.7, 0.5, 25000, 4, 5, 6, 7, 100, 10, 1.1, 1.3, 3 },
}

function EVENT_LoadHseKeepingTimetable(row)
  local ai = AiChars[row]
  local c = Characters[row + 1]
  ai:SetTraits(c[1], c[2])
  ai:SetStrategySelectionBias(c[3], c[4], c[5], c[6])
  ai:SetMaxBusinesses(c[7])
  ai:SetPrestigeBias(c[8])
  ai:SetBaseValMultiplier(c[9])
  ai:SetFloors(Floors[1], Floors[2], Floors[3], Floors[4], Floors[5], Floors[6], Floors[7], Floors[8], Floors[9],
               Floors[10])
  for i = 1, #Footprints do
    local f = Footprints[i]
    ai:SetFootprint(f[1], f[2], f[3], f[4])
  end
  ai:ResetTimeTable(HSE)
  ai:LoadTimeTable(HSE, 6, 30, TT_RENT)
  ai:LoadTimeTable(HSE, 8, 0, TT_BUSINESS_STATES)
  ai:LoadTimeTable(HSE, 10, 0, TT_POLL)
  ai:LoadTimeTable(HSE, 12, 0, TT_SPOILAGE)
  ai:LoadTimeTable(HSE, 14, 0, TT_REFURBISH_BUS)
  ai:LoadTimeTable(HSE, 16, 0, TT_POLL)
  ai:LoadTimeTable(HSE, 18, 30, TT_EOD_STOCK_AND_PRICE)
  return 0
end

function EVENT_LoadBuyBlockTimetable(row)
  local ai = AiChars[row]
  ai:ResetTimeTable(BLK)
  ai:LoadTimeTable(BLK, 9, 0, TT_BUY_BLOCK)
  ai:LoadTimeTable(BLK, 11, 0, TT_CREATE_BUS)
  ai:LoadTimeTable(BLK, 13, 30, TT_BUY_BLOCK)
  ai:LoadTimeTable(BLK, 15, 0, TT_CREATE_BUS)
  ai:LoadTimeTable(BLK, 17, 0, TT_TAKEOVER_BUS)
  ai:LoadTimeTable(BLK, 20, 0, TT_SELL_BLOCK)
  return 0
end

function EVENT_LoadDifficultyVariables(row)
  local ai = AiChars[row]
  for level = 1, #Difficulty do
    local d = Difficulty[level]
    ai:SetDifficultyVars(level - 1, d[1], d[2], d[3], d[4], d[5], d[6], d[7], d[8], d[9], d[10], d[11], d[12], d[13],
                         d[14], d[15])
  end
  return 0
end

function EVENT_LoadBuildTimes(row)
  local ai = AiChars[row]
  -- First decision at 9 in the morning; builds by day from 7 to 19 and by
  -- night from 19 to 23; the footprints are planned again every 100 steps.
  for level = 0, 2 do
    ai:SetBuildTimes(level, 9, 0, 7, 0, 19, 0, 23, 0, 100 - level * 25)
  end
  return 0
end

-- A tactic timetable that is given up, or that waits for money or for a
-- landscaped block, starts again from an empty table with a look at the
-- money later in the day.
function RestartTactics(row)
  local ai = AiChars[row]
  ai:ResetTimeTable(TAC)
  ai:LoadTimeTable(TAC, 12, 0, TT_POLL)
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
  AiScores.MaxScoreCap = 200
  AiScores.MaxDevelopment = 100
  AiScores.MaxObjective = 100
  AiScores.MaxHindrance = 60
  AiScores.BasicBidVariance = 10
  AiScores.MaxTTscoreThreshold = 50
  return 0
end
