-- The token choice of level 200015: the player and the computer rivals of its row.
C_RunScript("scripts\\default\\levels.lua")
ChoosePlayers(200015)
