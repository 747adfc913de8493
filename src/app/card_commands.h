#pragma once
// Console commands of the chance cards:
//   DEALCARD card [player]  the city deals the named card (1..82) to the
//                           player (the local one by default) when it is in
//                           the deck and the player holds none
//   SHOWCARD                the local player's held card on the card panel,
//                           as its chance icon does
void AttachCardCommands();
// The local player's chance icon (and its key): shows the held card.
void ShowLocalHeldCard();
