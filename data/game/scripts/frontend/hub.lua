-- The front end: the levels offered in the tutorial, single-player and
-- network lists, from the table of scripts\default\levels.lua. Registering an
-- id again replaces its entry, so this hub may run each time the menu opens.
C_RunScript("scripts\\default\\levels.lua")
RegisterLevels()
