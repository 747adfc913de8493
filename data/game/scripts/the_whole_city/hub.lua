-- Level 200016: its row of scripts\default\levels.lua.
PlayLevel(200016)
