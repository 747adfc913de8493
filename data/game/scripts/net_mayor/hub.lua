-- Level 300003: its row of scripts\default\levels.lua.
PlayLevel(300003)
