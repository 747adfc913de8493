-- The sandbox, and the network game on the open city: the starting city as
-- it stands, won by the first player whose businesses make a profit of
-- 25,000 in a day.
PlayLevel(400002)
