-- Level 200004: its row of scripts\default\levels.lua.
PlayLevel(200004)
