-- Level 200005: its row of scripts\default\levels.lua.
PlayLevel(200005)
