#pragma once
// Console commands that work the HUD's panels as a player's clicks would:
//   SHOPPRICE row steps [business]   the business panel's price arrows of
//                                    one row, pressed `steps` times (below 0:
//                                    the lower arrow), then the panel closed,
//                                    which sends the change; the business is
//                                    the local player's first shop unless
//                                    given
//   HOMERENT steps [business]        the rent panel's arrows, likewise, on
//                                    the local player's first residence
// Lines given before a game runs (a parameter file) wait for one, every one
// kept and run in the order given. A line that cannot act says which line
// and why, on one line.
void AttachPanelCommands();
// The interface task's share: the lines that waited for the game run.
void StepPanelCommands();
