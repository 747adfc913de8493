#pragma once
// The console commands that save and load input recordings. A recording
// "<name>.rec" lives beside the save "<name>.sav" in the profile's folder;
// "__rec.sav" holds the game as it was when the current recording started.

// Gives LOADEVENTRECORD and SAVEEVENTRECORD their handlers (with the game's
// other console commands, AttachGameConsoleCommands in game.h).
void AttachEventRecordCommands();

// LOADEVENTRECORD name: loads "<name>.rec" into the input device, then the
// save "<name>.sav", and keeps that save as "__rec.sav".
int LoadEventRecordCommand(const char* rest);
// SAVEEVENTRECORD name: writes the input recording to "<name>.rec" and copies
// "__rec.sav" (the game at the recording's start) to "<name>.sav". The
// running game is left alone. Nothing is written without "__rec.sav", nor
// over a "<name>.rec" that is not a recording.
int SaveEventRecordCommand(const char* rest);
