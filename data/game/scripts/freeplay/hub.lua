-- The sandbox, and the network game on the open city: the starting city as
-- it stands, played freely with no objective until the players leave it.
PlayLevel(400002)
