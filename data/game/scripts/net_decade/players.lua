-- The token choice of level 300006: the player and the computer rivals of its row.
C_RunScript("scripts\\default\\levels.lua")
ChoosePlayers(300006)
