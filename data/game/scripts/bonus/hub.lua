-- Level 400001: its row of scripts\default\levels.lua.
PlayLevel(400001)
