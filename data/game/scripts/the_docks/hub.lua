-- Level 200012: its row of scripts\default\levels.lua.
PlayLevel(200012)
