-- Level 200002: its row of scripts\default\levels.lua.
PlayLevel(200002)
