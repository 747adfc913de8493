-- Level 200011: its row of scripts\default\levels.lua.
PlayLevel(200011)
