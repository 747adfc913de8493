-- The sandbox, and the network game on the open city: the starting city as
-- it stands, won by the first player whose businesses make a profit of
-- 100,000.
PlayLevel(400002)
