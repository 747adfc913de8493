-- Level 200014: its row of scripts\default\levels.lua.
PlayLevel(200014)
