-- The city's shared set-up: game rules, the commodities and business kinds,
-- what the population buys, the blocks, and the builder of the starting
-- city. Run by the game-start hub and by the default level hub, because every
-- new script state starts with the game rules at 0 and every new game starts
-- with empty preference rows.
--
-- Only the program's own functions exist here (no standard library), so the
-- tables below are plain arrays walked with numeric loops.

-- ---- Game rules ---------------------------------------------------------------

-- The game reads these keys crossed: at DIFFICULTY_EASY (0) it takes the ones
-- named HARD, at DIFFICULTY_HARD (2) those named EASY. So the generous
-- values go under HARD, and an easy game pays the most.
function SetDifficultyTweaks(railFactor)
  Tweaks.railutilincomeHARD = 1.25 * railFactor    -- read at easy
  Tweaks.railutilincomeMEDIUM = 1.0 * railFactor
  Tweaks.railutilincomeEASY = 0.75 * railFactor    -- read at hard
  Tweaks.dailyfreightHARD = 300 * railFactor       -- read at easy
  Tweaks.dailyfreightMEDIUM = 250 * railFactor
  Tweaks.dailyfreightEASY = 200 * railFactor       -- read at hard
end

function SetGameRules()
  -- One year of city life passes every game day: the 1930s to the 2000s in
  -- eighty days.
  Tweaks.numyearsin24hours = 1
  -- A bought block is held for ten game days (game hours).
  Tweaks.blockleaselength = 240
  Tweaks.citybusinessesownable = TRUE
  Tweaks.daysoff = FALSE
  -- Railroad and utility income, by difficulty.
  SetDifficultyTweaks(1)

  InitialValue.playermoney = 5000

  -- House hunting at most every five days; walks of up to six blocks before
  -- the underground is taken.
  People.itchycounter = 5
  People.subwaythreshold = 6

  -- Traffic limits through the day (midnight to 4, 4 to 8, ... 20 to midnight):
  -- the most cars, taxis and vans on the streets at once. Together well under
  -- the 200 vehicles the streets hold, and few enough that queues at the
  -- lights stay short and a trip takes less than an hour.
  SetFrequencies(CarFrequency, { 6, 18, 30, 30, 30, 18 })
  SetFrequencies(TaxiFrequency, { 4, 8, 15, 15, 15, 10 })
  SetFrequencies(VanFrequency, { 1, 8, 10, 10, 6, 2 })
end

function SetFrequencies(table, bands)
  table._0to3 = bands[1]
  table._4to7 = bands[2]
  table._8to11 = bands[3]
  table._12to15 = bands[4]
  table._16to19 = bands[5]
  table._20to23 = bands[6]
end

-- ---- Commodities ----------------------------------------------------------------

-- { commodity, value (what a shop pays for one unit), markup, shopping class,
--   decade it reaches the shops (0 = the 1930s) }
CommodityRows = {
  { MEAT, 4.0, 1.5, MAINSHOPPING, 0 },
  { FISH, 3.5, 1.5, MAINSHOPPING, 0 },
  { FRUIT_AND_VEG, 1.5, 1.6, MAINSHOPPING, 0 },
  { BREAD, 1.0, 1.6, MAINSHOPPING, 0 },
  { DAIRY_PRODUCE, 1.5, 1.5, MAINSHOPPING, 0 },
  { DRINKS, 1.0, 2.0, SNACKSHOPPING, 0 },
  { SWEETS, 0.5, 2.0, SNACKSHOPPING, 0 },
  { MEAL, 5.0, 2.0, DININGOUTSHOPPING, 0 },
  { SNACK, 1.5, 2.0, SNACKSHOPPING, 0 },
  { FASTFOOD, 2.0, 2.0, SNACKSHOPPING, 2 },
  { NEWSPAPER, 0.5, 1.5, MAINSHOPPING, 0 },
  { BOOKS, 4.0, 1.5, MAINSHOPPING, 0 },
  { MUSIC_TAPES, 5.0, 1.6, MAINSHOPPING, 3 },
  { HEALTHCARE, 8.0, 1.5, MAINSHOPPING, 0 },
  { RECREATIONAL_GOODS, 10.0, 1.6, MAINSHOPPING, 0 },
  { JEWELLERY, 12.0, 1.8, MAINSHOPPING, 0 },
  { ELECTRICAL_GOODS, 30.0, 1.5, MAINSHOPPING, 2 },
  { FURNITURE, 35.0, 1.5, MAINSHOPPING, 0 },
  { ANTIQUES, 15.0, 1.8, MAINSHOPPING, 0 },
  { CLOTHING, 12.0, 1.7, MAINSHOPPING, 0 },
  { TOYS, 6.0, 1.7, MAINSHOPPING, 0 },
  { TOOLS_AND_HARDWARE, 8.0, 1.5, MAINSHOPPING, 0 },
  { VIDEOS, 6.0, 1.6, MAINSHOPPING, 5 },
  { COMPUTERS, 80.0, 1.4, MAINSHOPPING, 5 },
  { SOUVENIRS, 3.0, 2.0, MAINSHOPPING, 0 },
  { DANCING, 3.0, 2.0, ENTERTAINMENTSHOPPING, 0 },
  { PERFORMANCE, 6.0, 2.0, ENTERTAINMENTSHOPPING, 0 },
  { MOVIES, 2.5, 2.0, ENTERTAINMENTSHOPPING, 0 },
  { GAMING, 2.0, 2.0, ENTERTAINMENTSHOPPING, 0 },
  { CELL_PHONES, 40.0, 1.5, MAINSHOPPING, 5 },
  { VACATIONS, 60.0, 1.3, MAINSHOPPING, 2 },
  { STAY_OVER, 15.0, 1.5, STAYOVERSHOPPING, 0 },
}

-- ---- Business kinds -------------------------------------------------------------

-- { kind, decade it opens (0 = the 1930s), places or stock per unit, stock
--   capacity (stock per unit of floor space: about two days' sales, since half
--   of what is on the shelves spoils each morning), opening hour, closing hour,
--   ticks a customer stays, refurbishment cost, smallest and largest area, longest side, lowest and highest floors,
--   size band, commodities with their share of the shelves }
BusinessRows = {
  { BAKERY, 0, 0.5, 5, 6, 18, 40, 150, 1, 12, 3, 1, 3, 0, { BREAD, 70, SWEETS, 15, SNACK, 15 } },
  { BUTCHERS, 0, 0.5, 3, 7, 18, 50, 200, 1, 12, 3, 1, 3, 0, { MEAT } },
  { DELI, 0, 0.5, 4, 8, 19, 50, 200, 1, 12, 3, 1, 3, 0, { MEAT, 40, DAIRY_PRODUCE, 30, BREAD, 20, DRINKS, 10 } },
  { CHEESE_STORE, 0, 0.5, 3, 8, 18, 40, 150, 1, 9, 3, 1, 2, 0, { DAIRY_PRODUCE, 80, DRINKS, 20 } },
  { FISH_MARKET, 0, 0.5, 3, 6, 14, 50, 150, 1, 12, 3, 1, 2, 0, { FISH } },
  { GREENGROCERS, 0, 0.5, 3, 6, 18, 40, 120, 1, 12, 3, 1, 2, 0, { FRUIT_AND_VEG } },
  { GENERAL_STORE, 0, 0.5, 5, 7, 20, 60, 250, 2, 18, 4, 1, 3, 1,
    { BREAD, 25, DAIRY_PRODUCE, 25, DRINKS, 20, SWEETS, 15, NEWSPAPER, 15 } },
  { SUPERMARKET, 2, 0.5, 4, 7, 22, 80, 600, 6, 60, 6, 1, 2, 3,
    { MEAT, 20, FISH, 10, FRUIT_AND_VEG, 20, BREAD, 15, DAIRY_PRODUCE, 20, DRINKS, 15 } },
  { DEPARTMENT_STORE, 0, 0.5, 4, 9, 18, 90, 800, 8, 120, 6, 2, 8, 4,
    { CLOTHING, 30, FURNITURE, 20, TOOLS_AND_HARDWARE, 15, TOYS, 10, JEWELLERY, 10, RECREATIONAL_GOODS, 15 } },
  { PHARMACY, 0, 0.5, 3, 8, 19, 40, 250, 1, 12, 3, 1, 3, 0, { HEALTHCARE, 80, SWEETS, 20 } },
  { NEWS_STAND, 0, 0.5, 4, 6, 20, 20, 50, 1, 4, 2, 1, 2, 0, { NEWSPAPER, 60, SWEETS, 20, DRINKS, 20 } },
  { CLOTHES_STORE, 0, 0.5, 3, 9, 18, 70, 300, 2, 24, 4, 1, 4, 1, { CLOTHING } },
  { CAFE, 0, 0.6, 4, 7, 19, 60, 150, 1, 12, 3, 1, 3, 0, { SNACK, 50, DRINKS, 30, MEAL, 20 } },
  { RESTAURANT, 0, 0.6, 3, 11, 23, 90, 400, 2, 24, 4, 1, 4, 1, { MEAL, 80, DRINKS, 20 } },
  { DINER, 1, 0.6, 2, 6, 23, 60, 250, 2, 18, 4, 1, 2, 1, { MEAL, 60, SNACK, 40 } },
  { FAST_FOOD_OUTLET, 2, 0.6, 3, 10, 23, 30, 300, 1, 18, 4, 1, 2, 0, { FASTFOOD, 80, DRINKS, 20 } },
  { ICECREAM_PARLOUR, 1, 0.6, 2, 10, 20, 30, 150, 1, 9, 3, 1, 2, 0, { SWEETS, 70, SNACK, 30 } },
  { BAR, 0, 0.6, 3, 18, 23, 70, 250, 1, 18, 4, 1, 3, 0, { DRINKS, 80, SNACK, 20 } },
  { NIGHTCLUB, 3, 0.8, 2, 20, 23, 90, 500, 4, 36, 6, 1, 3, 2, { DANCING, 70, DRINKS, 30 } },
  { BALLROOM, 0, 0.8, 3, 18, 23, 90, 500, 6, 49, 7, 1, 3, 2, { DANCING } },
  { CINEMA, 0, 0.8, 3, 13, 23, 80, 600, 6, 49, 7, 1, 3, 2, { MOVIES, 80, SWEETS, 20 } },
  { THEATRE, 0, 0.8, 3, 17, 23, 100, 700, 6, 60, 7, 2, 4, 3, { PERFORMANCE } },
  { BOWLING_ALLEY, 1, 0.8, 2, 12, 23, 80, 500, 6, 49, 7, 1, 2, 2, { GAMING, 80, SNACK, 20 } },
  { POOL_HALL, 0, 0.8, 3, 18, 23, 70, 300, 2, 24, 4, 1, 2, 1, { GAMING, 70, DRINKS, 30 } },
  { TRAVEL_AGENCY, 2, 0.5, 2, 9, 17, 50, 300, 1, 9, 3, 1, 3, 0, { VACATIONS } },
  { SPORTS_STORE, 3, 0.5, 3, 9, 18, 50, 300, 2, 24, 4, 1, 3, 1, { RECREATIONAL_GOODS, 70, CLOTHING, 30 } },
  { JEWELLERS, 0, 0.5, 2, 9, 17, 60, 500, 1, 9, 3, 1, 3, 0, { JEWELLERY } },
  { BOOK_STORE, 0, 0.5, 3, 9, 18, 60, 200, 1, 18, 4, 1, 3, 0, { BOOKS, 80, NEWSPAPER, 20 } },
  { MUSIC_STORE, 3, 0.5, 3, 9, 19, 50, 250, 1, 12, 3, 1, 3, 0, { MUSIC_TAPES } },
  { VIDEO_STORE, 5, 0.5, 3, 10, 22, 40, 250, 1, 12, 3, 1, 3, 0, { VIDEOS } },
  { HEALTH_CLINIC, 4, 0.5, 2, 8, 20, 90, 600, 4, 36, 6, 1, 4, 2, { HEALTHCARE } },
  { DOCTORS_SURGERY, 0, 0.5, 2, 8, 18, 80, 400, 1, 18, 4, 1, 3, 0, { HEALTHCARE } },
  { ELECTRICAL_STORE, 2, 0.5, 3, 9, 18, 50, 400, 2, 18, 4, 1, 3, 1, { ELECTRICAL_GOODS } },
  { ELECTRICAL_SUPERSTORE, 5, 0.5, 4, 9, 21, 70, 900, 8, 100, 7, 1, 3, 4,
    { ELECTRICAL_GOODS, 40, COMPUTERS, 25, CELL_PHONES, 20, VIDEOS, 15 } },
  { HARDWARE_STORE, 0, 0.5, 4, 8, 18, 50, 250, 2, 24, 4, 1, 3, 1, { TOOLS_AND_HARDWARE } },
  { SOUVENIR_SHOP, 0, 0.5, 4, 9, 20, 30, 150, 1, 9, 3, 1, 2, 0, { SOUVENIRS } },
  { TOY_STORE, 0, 0.5, 3, 9, 18, 50, 250, 1, 18, 4, 1, 3, 0, { TOYS } },
  { COMPUTER_STORE, 5, 0.5, 3, 9, 19, 60, 600, 2, 24, 4, 1, 3, 1, { COMPUTERS } },
  { PHONE_SHOP, 5, 0.5, 3, 9, 19, 40, 400, 1, 9, 3, 1, 3, 0, { CELL_PHONES } },
  { FURNITURE_STORE, 0, 0.5, 2, 9, 18, 70, 500, 4, 49, 7, 1, 3, 2, { FURNITURE } },
  { ANTIQUE_STORE, 0, 0.5, 2, 10, 17, 70, 400, 1, 12, 3, 1, 3, 0, { ANTIQUES } },
  { AMUSEMENT_ARCADE, 4, 0.8, 2, 10, 23, 50, 400, 2, 24, 4, 1, 2, 1, { GAMING } },
  { APARTMENT, 0, 1.0, 0, 0, 24, 0, 300, 1, 98, 7, 1, 12, 2, {} },
  { HOTEL, 0, 1.0, 3, 0, 24, 600, 900, 6, 147, 7, 2, 15, 4, { STAY_OVER } },
  { LANDSCAPE, 0, 0.0, 0, 0, 24, 0, 0, 1, 49, 7, 1, 1, 0, {} },
}

-- Daily charges of every utility per unit of floor space, by size band.
UtilityNeeds = { 0.10, 0.12, 0.15, 0.18, 0.20 }

function SetUpCommodities()
  for i = 1, #CommodityRows do
    local row = CommodityRows[i]
    local c = Commodity[row[1]]
    c.value = row[2]
    c.markup = row[3]
    c:Membership(row[4])
    if row[5] == 0 then c.active = TRUE else c.active = FALSE end
  end
end

function SetUpBusinessKinds()
  for i = 1, #BusinessRows do
    local row = BusinessRows[i]
    local info = BusinessInfo[row[1]]
    if row[2] == 0 then info.available = TRUE else info.available = FALSE end
    info.density = row[3]
    info.stockcapacity = row[4]
    info.openingtime = row[5]
    info.closingtime = row[6]
    info.timeinstore = row[7]
    info.refurbcost = row[8]
    info.minarea = row[9]
    info.maxarea = row[10]
    info.maxside = row[11]
    info.minheight = row[12]
    info.maxheight = row[13]
    info.footprintband = row[14]
    local need = UtilityNeeds[row[14] + 1]
    info.telecomneed = need
    info.gasneed = need
    info.waterneed = need
    info.electricalneed = need
    -- A lone commodity fills the shelves; otherwise each has its share.
    local list = row[15]
    if #list == 1 then
      info:AddCommodity(list[1])
    else
      for j = 1, #list, 2 do info:AddCommodity(list[j], list[j + 1]) end
    end
  end
end

-- A new decade brings its kinds of business and its goods. The program raises
-- BusinessIntro<year> at the start of each decade.
function IntroduceDecade(decade)
  for i = 1, #BusinessRows do
    if BusinessRows[i][2] == decade then BusinessInfo[BusinessRows[i][1]].available = TRUE end
  end
  for i = 1, #CommodityRows do
    if CommodityRows[i][5] == decade then Commodity[CommodityRows[i][1]].active = TRUE end
  end
  return 0
end

function EVENT_BusinessIntro1940(a) return IntroduceDecade(1) end
function EVENT_BusinessIntro1950(a) return IntroduceDecade(2) end
function EVENT_BusinessIntro1960(a) return IntroduceDecade(3) end
function EVENT_BusinessIntro1970(a) return IntroduceDecade(4) end
function EVENT_BusinessIntro1980(a) return IntroduceDecade(5) end

-- ---- The population ----------------------------------------------------------------

-- Preference rows: what a household of a kind buys, with weights. A weight is
-- how many units at the default price the household means to spend on at
-- most; shops round their prices up to the next tenth, so a weight of 1 would
-- leave the want a little short of one unit's price and nothing would ever be
-- bought: every weight here is at least 2.
PreferenceRows = {
  -- Every row holds goods of each kind of trip the timetables make (main
  -- shopping, a snack, dining out, entertainment), so no trip is wasted.
  -- 0: everyday needs of a low-income home
  { BREAD, 6, MEAT, 4, FRUIT_AND_VEG, 4, DAIRY_PRODUCE, 4, FISH, 2, DRINKS, 2, NEWSPAPER, 2, CLOTHING, 2,
    TOOLS_AND_HARDWARE, 2, HEALTHCARE, 2, MEAL, 2, MOVIES, 2 },
  -- 1: a middle-income home
  { BREAD, 4, MEAT, 4, FISH, 4, FRUIT_AND_VEG, 4, DAIRY_PRODUCE, 4, MEAL, 2, CLOTHING, 4, BOOKS, 2,
    FURNITURE, 2, ELECTRICAL_GOODS, 2, MOVIES, 2, NEWSPAPER, 2, DRINKS, 2, JEWELLERY, 2, HEALTHCARE, 2 },
  -- 2: a well-off home
  { MEAT, 4, FISH, 4, DAIRY_PRODUCE, 2, MEAL, 6, JEWELLERY, 2, ANTIQUES, 2, CLOTHING, 4, FURNITURE, 2,
    PERFORMANCE, 4, DANCING, 2, VACATIONS, 2, BOOKS, 2, DRINKS, 2 },
  -- 3: children
  { SWEETS, 6, TOYS, 4, SNACK, 4, MOVIES, 2, RECREATIONAL_GOODS, 2, MEAL, 2 },
  -- 4: teenagers
  { FASTFOOD, 6, MUSIC_TAPES, 4, MOVIES, 4, GAMING, 4, CLOTHING, 2, SNACK, 2, CELL_PHONES, 2, VIDEOS, 2,
    SWEETS, 2, MEAL, 2 },
  -- 5: pensioners
  { HEALTHCARE, 6, NEWSPAPER, 4, BREAD, 4, FRUIT_AND_VEG, 2, BOOKS, 2, ANTIQUES, 2, MEAL, 2, DRINKS, 2,
    PERFORMANCE, 2, ANTIQUES, 2 },
  -- 6: tourists
  { STAY_OVER, 6, SOUVENIRS, 6, MEAL, 4, SNACK, 2, PERFORMANCE, 2, DRINKS, 2 },
  -- 7: a night out
  { DANCING, 4, DRINKS, 4, MOVIES, 2, GAMING, 2, MEAL, 2, CLOTHING, 2, BREAD, 2 },
  -- 8: the home itself
  { ELECTRICAL_GOODS, 4, FURNITURE, 4, TOOLS_AND_HARDWARE, 4, COMPUTERS, 2, RECREATIONAL_GOODS, 2, MEAL, 2,
    DRINKS, 2, MOVIES, 2 },
}

-- For each population class (children, teenagers, adults, pensioners,
-- tourists; low, medium and high income), the rows it draws from.
ClassPreferences = {
  { LOW_CLASS_CHILD, 3 }, { MEDIUM_CLASS_CHILD, 3 }, { HIGH_CLASS_CHILD, 3, 8 },
  { LOW_CLASS_TEENAGER, 4 }, { MEDIUM_CLASS_TEENAGER, 4, 7 }, { HIGH_CLASS_TEENAGER, 4, 7 },
  { LOW_CLASS_ADULT, 0, 8 }, { MEDIUM_CLASS_ADULT, 1, 7, 8 }, { HIGH_CLASS_ADULT, 2, 7, 8 },
  { LOW_CLASS_PENSIONER, 5, 0 }, { MEDIUM_CLASS_PENSIONER, 5, 1 }, { HIGH_CLASS_PENSIONER, 5, 2 },
  { LOW_CLASS_TOURIST, 6 }, { MEDIUM_CLASS_TOURIST, 6, 7 }, { HIGH_CLASS_TOURIST, 6, 2 },
}

-- Daily income of a child, teenager, adult, pensioner and tourist, by class.
-- Everyone but a tourist rents a place of its own from its own income, and
-- may pay at most 0.48 of it a day: an apartment place costs six times the
-- residential building rent (12 in every decade), so no income here may fall
-- below 25, and the lowest keep a little room for rent rises.
Incomes = {
  { CLASS_LOW, 26, 28, 30, 26, 40 },
  { CLASS_MEDIUM, 30, 36, 50, 34, 60 },
  { CLASS_HIGH, 40, 50, 90, 56, 90 },
}

function SetUpPopulation()
  for row = 1, #PreferenceRows do
    local entries = PreferenceRows[row]
    for j = 1, #entries, 2 do InitialValue.AddPreference(row - 1, entries[j], entries[j + 1]) end
  end
  for i = 1, #ClassPreferences do
    local entry = ClassPreferences[i]
    for j = 2, #entry do InitialValue.AssociatePreference(entry[1], entry[j]) end
  end
  for i = 1, #Incomes do
    local row = Incomes[i]
    for kind = 0, 4 do People.Welfare(kind, row[1], row[kind + 2]) end
  end
end

-- ---- Blocks --------------------------------------------------------------------------

-- { block, value, prestige, layout } for the blocks players can buy; the
-- layout names the kind of street it is (see StreetLayouts).
AvenueBlocks = {
  { LANTERN_AVENUE, 12000, 1.0, 1 }, { CLOVERDALE_AVENUE, 11000, 0.8, 2 }, { HARROWGATE_AVENUE, 13000, 1.2, 3 },
  { BRACKEN_AVENUE, 9000, 0.5, 2 }, { HOLLYMEAD_AVENUE, 9500, 0.6, 1 }, { ROSEWATER_AVENUE, 10000, 0.7, 3 },
  { ST_OSWIN_PLACE, 15000, 1.5, 1 }, { WILLOWBY_AVENUE, 14000, 1.3, 2 }, { GRANDHAVEN_AVENUE, 16000, 1.6, 3 },
  { OAKMONT_AVENUE, 8000, 0.4, 1 }, { EAST_MEADOW, 7500, 0.3, 2 }, { AMBERLEIGH_AVENUE, 8500, 0.5, 3 },
  { ST_ALBIN_PLACE, 18000, 2.0, 1 }, { CROWNLEA_AVENUE, 17000, 1.8, 2 }, { MARIGOLD_AVENUE, 17500, 1.9, 3 },
  { QUENBY_GARDENS, 20000, 2.3, 1 }, { HAZELBY_AVENUE, 21000, 2.4, 2 }, { DUNMERE_AVENUE, 19000, 2.1, 3 },
  { STRANDWAY, 25000, 2.8, 1 }, { REGENCY_PLACE, 26000, 3.0, 2 },
  { FERNLEY_AVENUE, 6000, 0.1, 1 }, { SALTMARSH_AVENUE, 6500, 0.2, 3 },
  { DOCK_1, 5000, 0.0, 2 }, { DOCK_2, 5000, 0.0, 1 }, { DOCK_3, 5500, 0.0, 3 },
}

-- Railroads and utilities: bought as sets for their income.
ServiceBlocks = {
  { Q_V_RAILROAD, 20000 }, { LONGREACH_RAILROAD, 20000 }, { AMBERLEGH_RAILROAD, 20000 }, { GLENFORD_RAILROAD, 20000 },
  { TELECOMS, 15000 }, { GASWORKS, 15000 }, { BRIGHTWELL_WORKS, 15000 }, { VOLTARA_COMPANY, 15000 },
}

-- The city's own blocks, never for sale.
CivicBlocks = {
  BUS_AND_TAXI, AIRPORT, ZOO, UNIVERSITY_CAMPUS, CITY_HALL_1, HOSPITAL, CENTRAL_PARK_1, POLICE_FIRE,
  MUSEUM_ART_GALLERY, MARINA, SCHOOL_GROUNDS, SCHOOL_LIBRARY, STADIUM, CITY_HALL_2,
  CENTRAL_PARK_2, CENTRAL_PARK_3, CENTRAL_PARK_4, CENTRAL_PARK_5, CENTRAL_PARK_6,
}

-- Building counts per building class for blocks filled by the random builder:
-- shops, homes, (unused), empty shops, empty homes, (unused).
AvenueDistribution = { 12, 20, 0, 4, 4, 0 }

function SetUpBlocks()
  for i = 1, #AvenueBlocks do
    local row = AvenueBlocks[i]
    local block = Block[row[1]]
    block.value = row[2]
    block.prestige = row[3]
    block.looseness = 20
    block.ownable = TRUE
    for k = 1, #AvenueDistribution do block:Distribution(k - 1, AvenueDistribution[k]) end
  end
  for i = 1, #ServiceBlocks do
    local block = Block[ServiceBlocks[i][1]]
    block.value = ServiceBlocks[i][2]
    block.prestige = 0
    block.ownable = TRUE
  end
  for i = 1, #CivicBlocks do
    local block = Block[CivicBlocks[i]]
    block.value = 0
    block.prestige = 1.0
    block.ownable = FALSE
  end
end

-- ---- The starting city ----------------------------------------------------------------

-- Places round the edge of a block: { lot x, lot y, width, depth }. The middle
-- and two of the places stay free for the players to build on.
StreetPlaces = {
  { 0, 0, 2, 2 }, { 2, 0, 3, 2 }, { 5, 0, 2, 2 }, { 0, 2, 2, 3 }, { 5, 2, 2, 3 }, { 0, 5, 2, 2 },
}

-- What stands on those places: { building kind, floors, business } with
-- "shop" meaning the next kind from ShopsInTurn.
StreetLayouts = {
  { { "RESIDENTIAL", 4, "apartments" }, { "RETAIL", 2, "shop" }, { "RESIDENTIAL", 5, "apartments" },
    { "RETAIL", 1, "shop" }, { "RESIDENTIAL", 3, "apartments" }, { "RETAIL", 2, "shop" } },
  { { "RETAIL", 2, "shop" }, { "RESIDENTIAL", 4, "apartments" }, { "RETAIL", 1, "shop" },
    { "RESIDENTIAL", 5, "apartments" }, { "RETAIL", 2, "shop" }, { "RESIDENTIAL", 3, "apartments" } },
  { { "RESIDENTIAL", 3, "apartments" }, { "RETAIL", 3, "shop" }, { "RETAIL", 1, "shop" },
    { "RESIDENTIAL", 6, "apartments" }, { "RESIDENTIAL", 4, "apartments" }, { "RETAIL", 2, "shop" } },
}

-- The shops of the 1930s and how many of each the starting city has (as many
-- as the streets have shop places): many of the everyday kinds, few of the
-- ones people seldom need. Toys and jewellery are sold by the department
-- store; a toy shop or a jeweller of its own is left to the players.
ShopCounts = {
  { "general_store", 8 }, { "bakery", 6 }, { "cafe", 7 }, { "restaurant", 7 }, { "bar", 7 },
  { "greengrocers", 3 }, { "deli", 4 }, { "news_stand", 4 }, { "clothes_store", 4 },
  { "pharmacy", 3 }, { "book_store", 3 }, { "souvenir_shop", 4 }, { "pool_hall", 3 },
  { "butchers", 2 }, { "dairy_store", 2 }, { "fish_market", 2 }, { "hardware_store", 2 },
  { "antique_store", 2 }, { "furniture_store", 1 }, { "doctors_surgery", 1 },
}

-- The order the shops are handed out along the streets: each kind spread
-- evenly over the whole city (the kind that is most behind its share next),
-- the kinds starting at staggered places so that the rare ones do not all
-- land in the same street.
function ShopsInTurn()
  local total = 0
  for i = 1, #ShopCounts do total = total + ShopCounts[i][2] end
  local due = {}
  for i = 1, #ShopCounts do due[i] = total / ShopCounts[i][2] * ((i * 0.618) % 1) end
  local order = {}
  for n = 1, total do
    local next = 1
    for i = 2, #ShopCounts do
      if due[i] < due[next] then next = i end
    end
    order[n] = ShopCounts[next][1]
    due[next] = due[next] + total / ShopCounts[next][2]
  end
  return order
end

-- Landmarks of the city's own blocks: { block, kind, business }. Every block
-- named here is on the map (a block off the map is reported).
CivicLandmarks = {
  { CENTRAL_PARK_1, "LANDSCAPE", "landscape" }, { CENTRAL_PARK_2, "LANDSCAPE", "landscape" },
  { CENTRAL_PARK_3, "LANDSCAPE", "landscape" }, { CENTRAL_PARK_4, "LANDSCAPE", "landscape" },
  { CENTRAL_PARK_5, "LANDSCAPE", "landscape" }, { CENTRAL_PARK_6, "LANDSCAPE", "landscape" },
  { ZOO, "LANDSCAPE", "landscape" }, { SCHOOL_LIBRARY, "LANDSCAPE", "landscape" },
  { MARINA, "RETAIL", "hotel" }, { AIRPORT, "RETAIL", "hotel" },
  { CITY_HALL_2, "RETAIL", "department_store" }, { MUSEUM_ART_GALLERY, "RETAIL", "theatre" },
  { UNIVERSITY_CAMPUS, "RETAIL", "cinema" }, { CITY_HALL_1, "RETAIL", "ballroom" },
}

-- How many people live in the starting city.
StartingPopulation = 800

-- Puts up the starting city on empty blocks and moves its people in. The
-- people arrive first, so that they hear of every business that opens (a
-- person shops only in blocks it knows).
function BuildStartingCity()
  People.Create(StartingPopulation)
  local shops = ShopsInTurn()
  local shop = 1
  for i = 1, #AvenueBlocks do
    local key = AvenueBlocks[i][1]
    local layout = StreetLayouts[AvenueBlocks[i][4]]
    for p = 1, #StreetPlaces do
      local place = StreetPlaces[p]
      local what = layout[p]
      local business = what[3]
      if business == "shop" then
        business = shops[shop]
        shop = shop + 1
        if shop > #shops then shop = 1 end
      end
      local building = AddBuilding(key, place[1], place[2], place[3], place[4], what[2], what[1], (key * 16 + p) * 69069, "low")
      if building ~= nil and building >= 0 then AddBusiness(building, business) end
    end
  end
  for i = 1, #CivicLandmarks do
    local row = CivicLandmarks[i]
    local floors = 1
    if row[2] == "RETAIL" then floors = 3 end
    local building = AddBuilding(row[1], 0, 0, 3, 3, floors, row[2], row[1] * 16 * 69069, "medium")
    if building ~= nil and building >= 0 then AddBusiness(building, row[3]) end
  end
end

-- Everything a new script state needs before the city can run.
function SetUpCity()
  SetGameRules()
  SetUpCommodities()
  SetUpBusinessKinds()
  SetUpPopulation()
  SetUpBlocks()
end
