-- The token choice of the sandbox: the player alone with the city.
C_RunScript("scripts\\default\\levels.lua")
ChoosePlayers(400002)
