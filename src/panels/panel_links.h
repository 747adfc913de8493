#pragma once
// The panels' way to a block in the city.
#include <cstdint>

// Takes the player to a block: it becomes the selection and the picked
// object, the city view comes back from the plan view, the block camera
// looks at it from height 120 and distance 80, and the selection panel
// shows its page. An id outside the blocks does nothing.
void GoToBlock(int32_t block);
