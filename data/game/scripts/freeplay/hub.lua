-- Free play: the starting city as it stands, won by the first player whose
-- businesses make a profit of 100,000.
LevelObjective = OBJECTIVE_PROFIT
LevelTarget = 100000
