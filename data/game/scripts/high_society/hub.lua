-- Level 200008: its row of scripts\default\levels.lua.
PlayLevel(200008)
