#pragma once
// Console commands that let a command script (a parameter file, a machine of
// a headless network game) play the local human player. Each acts through the
// same requests the player's panels post, so the host checks them and every
// machine applies them at one tick:
//   LEASE block [price]          asks the city for the block as the block
//                                page's lease button does (with rivals in the
//                                game it goes to auction); asks again while
//                                no auction is up until the block is the
//                                player's, gives up when a rival holds it
//   BUILD block x y width depth floors type [quality]
//                                the construction request for a building of
//                                business type `type` on lots x..x+width-1,
//                                y..y+depth-1 of the player's own block
//   AUTOBID max [block]          the player's turns in auctions: bids the
//                                price plus 100 while that stays within max
//                                (and the player can pay), else passes; with
//                                a block, for that block's auctions only
//                                (those rule before the general one)
//   WHEN TICK t command          runs the command once the logic tick is t
//   WHEN BLOCK b command         ... once the player holds block b
//   WHEN SHOP command            ... once the player owns a shop
//   HOLD t                       the logic stops at tick t for good
// Waiting commands run while a game runs, in the order given.
void AttachScriptedPlayerCommands();
