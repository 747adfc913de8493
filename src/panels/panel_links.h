#pragma once
// What the HUD panels ask of parts of the game above them or not built yet
// (the front end, the results screen, the card and selection panels, the
// tutor figure). The program fills what exists; an empty link does nothing.
#include <cstdint>
#include <functional>

struct PanelLinks {
  // A sample played once (not streamed, looped or positional; unique; volume
  // 100), giving its voice (null: none), and a voice stopped.
  std::function<void*(const char* sample)> playSample;
  std::function<void(void* voice)> stopSample;
};
PanelLinks& PanelGameLinks();

// Takes the player to a block: it becomes the selection and the picked
// object, the city view comes back from the plan view, the block camera
// looks at it from height 120 and distance 80, and the selection panel
// shows its page. An id outside the blocks does nothing.
void GoToBlock(int32_t block);
