#pragma once
// This machine's drafts: what its panels, command scripts, level scripts and
// computer players have edited or asked for that every machine has not yet
// applied. None of it is shared state. It is never saved or compared, and
// it reaches the other machines only as the game message that carries it;
// the city's saved records hold only what every machine has applied at a
// delivery tick, so every machine of a game saves the same records.
#include <cstdint>

#include "city/business.h"

// An owner's edits of a business's stock targets, prices and rent, sent as
// its price message (game message 22).
struct BusinessDraft {
  int16_t StockTarget[kSlotsPerBusiness] = {};
  float Price[kSlotsPerBusiness] = {};
  float Rent = 0;
  bool Changed = false;  // differs from what was last sent
};

// The business's draft when one is open, else its applied values.
BusinessDraft BusinessDraftOf(const CBusiness& business);
// The draft to edit, opened from the applied values when none is open.
BusinessDraft& EditBusinessDraft(const CBusiness& business);
// Whether an open draft holds edits not yet sent.
bool BusinessDraftChanged(int32_t business);
// Closes the draft: reads show the applied values again.
void ForgetBusinessDraft(int32_t business);

// A block's marks while this machine's player waits for an answer: the
// block page's or a command script's lease or sale request (1), and its
// request to prepare the block for building.
struct BlockRequestMarks {
  uint8_t Request = 0;
  uint8_t Prepare = 0;
};
// The block's marks (a spare row, never read, for an id off the map).
// Cleared with the blocks' records (InitBlocks), as a business's draft is
// closed with its record (CBusiness::Reset).
BlockRequestMarks& LocalBlockMarks(int32_t block);

// A building's marks while this machine's player waits for the answer to
// its business page's demolition, its sale, buyout or change of type, and
// its request about the building; each keeps the page from sending again.
struct BuildingRequestMarks {
  uint8_t Demolish = 0;
  uint8_t Request = 0;
  uint8_t Trade = 0;
};
// The building's marks (a spare row, never read, for an id off the pool, as
// the construction panel's preview has). Cleared with the buildings'
// records (ResetBuildings) and when a record is taken for a new building.
BuildingRequestMarks& LocalBuildingMarks(int32_t building);
