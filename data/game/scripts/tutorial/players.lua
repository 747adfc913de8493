-- The token choice of a tutorial: the player alone.
Frontend.RegisterPlayer(0, HUMAN_PLAYER, 0)
