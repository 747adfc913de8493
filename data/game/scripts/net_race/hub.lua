-- Level 300002: its row of scripts\default\levels.lua.
PlayLevel(300002)
