#pragma once
// The SDL form of the window system's colour cursors (platform/system_cursor.h).

namespace platform {

// Once, with the display: the game's cursors become SDL colour cursors. The
// game destroys them (DestroyAll) before the display closes.
void InstallSdlCursors();

}  // namespace platform
