-- Level 200006: its row of scripts\default\levels.lua.
PlayLevel(200006)
