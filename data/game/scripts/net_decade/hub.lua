-- Level 300006: its row of scripts\default\levels.lua.
PlayLevel(300006)
