-- Level 300004: its row of scripts\default\levels.lua.
PlayLevel(300004)
