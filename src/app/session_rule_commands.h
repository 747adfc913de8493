#pragma once
// Console commands of the session rules:
//   STARTLEVEL id [difficulty]  starts a new game on the registered level
//                               (the sandbox is 400002), difficulty 0..2,
//                               with the players of the level's players.lua
//   AUCTION block [opening]     the city puts a block up for auction
//   BID player amount           a bid in the running auction
//   PASS player                 that player passes this round
//   PULLOUT player              that player leaves the auction
//   OBJECTIVE kind target       sets the victory objective (kinds 0..6)
//   SAY text                    the local player's chat line to everybody
void AttachSessionRuleCommands();
