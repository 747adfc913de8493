#pragma once
// Console commands that work the HUD's panels as a player's clicks would:
//   SHOPPRICE row steps [business]   the business panel's price arrows of
//                                    one row, pressed `steps` times (below 0:
//                                    the lower arrow), then the panel closed,
//                                    which sends the change; the business is
//                                    the local player's first shop unless
//                                    given. Given before a game runs (a
//                                    parameter file), it waits for one.
void AttachPanelCommands();
// The interface task's share: a command that waited for the game runs.
void StepPanelCommands();
