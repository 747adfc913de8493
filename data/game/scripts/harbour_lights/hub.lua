-- Level 200003: its row of scripts\default\levels.lua.
PlayLevel(200003)
