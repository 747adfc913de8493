-- Level 200015: its row of scripts\default\levels.lua.
PlayLevel(200015)
