#pragma once
// What the game root connects to the cut scenes, the fireworks, the tutor
// figure and the money animation: the cut-scene player's hooks (scripts,
// drawing, the end of the game), the fireworks' sounds, their textures, the
// outbox events that start them, and the console commands CUTSCENE name,
// CREDITS, FIREWORKS preset and ENDSEQUENCE code (before a game runs they
// wait for it).
#include <string>

#include "session/game_events.h"

// Once, before the start: the interface's and sound's hooks, console commands.
void AttachCutScenes();
// With the simulation: the player's scripts, the game's end, its drawing.
void ConnectCutScenes();
// The logos (UI images 273, 274, 287) and the fireworks' spark, before the
// texture pages are built.
void LoadCutSceneAssets();
// After the models are loaded.
void PrepareTutorFigure();
void PlayCutScene(const std::string& name);
// A cut scene with its tokens, a fireworks preset, a money change.
void PlayPresentationEvent(const GameEvent& event);
// Fifty times a second: waiting commands, the fireworks, the tutor's showing.
void StepPresentation();
// A new game or a game's end: no fireworks, no figures.
void ResetPresentation();
