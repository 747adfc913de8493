-- Level 300005: its row of scripts\default\levels.lua.
PlayLevel(300005)
