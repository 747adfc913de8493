-- Level 200009: its row of scripts\default\levels.lua.
PlayLevel(200009)
