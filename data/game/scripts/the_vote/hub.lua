-- Level 200007: its row of scripts\default\levels.lua.
PlayLevel(200007)
