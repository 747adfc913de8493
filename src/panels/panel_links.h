#pragma once
// What the HUD panels ask of parts of the game above them or not built yet
// (the front end, the results screen, the card and selection panels, the
// tutor figure). The program fills what exists; an empty link does nothing.
#include <cstdint>
#include <functional>

struct PanelLinks {
  std::function<void()> showHeldCard;    // the time panel's card button
  std::function<bool()> cityOverviewOpen;
  // The selection panel's block page for the block, opened.
  std::function<void(int32_t block)> showBlockPage;
  // The business (or rent) panel of the selected building, opened: for
  // the selection panel's business page.
  std::function<void()> openBusinessPanel;
  // The construction panel opened on the block.
  std::function<void(int32_t block)> openConstruction;
  // The tutor figure walks towards a screen point (layout space), or is
  // released.
  std::function<void(float x, float y)> sendTutor;
  std::function<void()> releaseTutor;
  // A sample played once (not streamed, looped or positional; unique; volume
  // 100), giving its voice (null: none), and a voice stopped.
  std::function<void*(const char* sample)> playSample;
  std::function<void(void* voice)> stopSample;
  // A computer player's character token when it differs from the token it
  // plays with, else -1 (the auction room's debug overlay).
  std::function<int32_t(int32_t player)> aiCharacterToken;
};
PanelLinks& PanelGameLinks();

// Takes the player to a block: it becomes the selection and the picked
// object, the city view comes back from the plan view, the block camera
// looks at it from height 120 and distance 80, and the selection panel
// shows its page. An id outside the blocks does nothing.
void GoToBlock(int32_t block);
