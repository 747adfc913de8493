-- Game start: the rules, the economy and the starting city that the fly-by
-- and the front end show. Every level starts again from scripts\default\hub.lua
-- in a new script state.
C_RunScript("scripts\\default\\setup.lua")

SetUpCity()
BuildStartingCity()
