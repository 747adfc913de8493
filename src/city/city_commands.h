#pragma once
// The city's console and parameter-file commands: the BUILDING* figures of the
// building kinds and the district colours.

// Attaches the handlers to their places in the console's command list.
void RegisterCityConsoleCommands();
