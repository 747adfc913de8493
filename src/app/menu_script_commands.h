#pragma once
// A script of menu actions that plays the mouse and keyboard on the front
// end's pages, for runs with no one at the controls (a headless network
// game's machines). Each MENU line waits its turn, then waits until it can
// act, and acts through the same pointer, buttons and typed characters the
// window gives the interface:
//   MENU CLICK element [line]   clicks the middle of the element on the open
//                               page that has it, once the widget there is
//                               shown and enabled; with a line, that line of
//                               the list on the element once it holds it
//   MENU TYPE text              types the text and Return into the box that
//                               has the keyboard
//   MENU LOBBY n                waits until the lobby's n slots are taken,
//                               every one ready
// "%L" in an element stands for the lobby's local slot number (1..6).
void AttachMenuScriptCommands();
// Once per input frame, after the devices are read: the script's next move.
void StepMenuScript();
