-- Level 200013: its row of scripts\default\levels.lua.
PlayLevel(200013)
