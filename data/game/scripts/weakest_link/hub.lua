-- Level 200010: its row of scripts\default\levels.lua.
PlayLevel(200010)
