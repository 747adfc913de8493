-- Level 200001: its row of scripts\default\levels.lua.
PlayLevel(200001)
