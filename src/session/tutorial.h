#pragma once
// Tutorial events: the player's steps reported by number to the running
// tutorial's script (its catch-event "TutorialEvent"); outside a tutorial
// nothing reaches the scripts. The interface locks that tutorials set live
// with the interface's control table.
#include <cstdint>

enum TutorialEventId : int32_t {
  kTutorialLink = 6,
  kTutorialAuctionPanels = 63,
  kTutorialViewToggled = 73,  // city view and plan view
  kTutorialAuctionClosed = 64,
  kTutorialAuctionSold = 68,
  // The local player's game actions as the session applies them (above the
  // interface's control ids): a lesson waits on what was done, whichever
  // control did it.
  kTutorialBlockLeased = 110,
  kTutorialBlockReturned = 111,
  kTutorialConstructionStarted = 112,
  kTutorialBusinessOpened = 113,
  kTutorialBusinessSold = 114,
  kTutorialBidMade = 115,
  kTutorialCardPlayed = 116,
};

void FireTutorialEvent(int32_t id);
// The event when the player (by player number, 0 none) is the local one.
void FireLocalPlayerTutorialEvent(int32_t playerNumber, int32_t id);

// The construction panel's choices a tutorial narrows to one (-1: any):
// the building type and the use (Interface.SetTutorialType / SetTutorialUse).
// Cleared at every level start.
struct TutorialBuildChoice {
  int32_t type = -1;
  int32_t use = -1;
};
TutorialBuildChoice& TutorialBuildRestriction();
