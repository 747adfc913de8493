#pragma once
// The 50-per-second interface task's keys and the plan-view toggle: Tab
// (plan view), Escape (front end), F1 and P (pause switch), the debug time
// skip, G (follow the next person), Alt+F5 (screenshot), Alt+F (camera home).
// The panels, the front end and the chat are asked through the installed
// InterfacePanels (visuals/overlay/frame_draw.h).
#include <cstdint>

class CEntity;

// The selected object (null when none) and its kind.
CEntity*& SelectedObject();

// The keys' part of the interface task (after the panels' input): acts on
// keys pressed since the last poll.
void RunInterfaceKeys();
// Switches between the city view and the plan view, keeping the live camera
// in the stored record while the plan view shows.
void TogglePlanView();
// The pause switch (pause reason 3), with the game's sound.
void TogglePauseSwitch();
// G: the next person after the followed one to follow; false when none.
bool FollowNextPerson();
// Alt+F: the camera to the stored position, keys mode.
void PutCameraHome();
// The new-game reset's part: the stored camera looks over the city.
void ResetStoredCamera();
