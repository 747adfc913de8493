#pragma once
// The one tooltip box that follows the mouse. It names the interface widget
// under the mouse (its tooltip) or, over the city, the object the picking
// found there; it shows once the mouse has rested on the same thing for a
// while. Beside it: the pause switch of the in-game input and the block of
// debug text lines.
#include <cstdint>
#include <string>

#include "ui/text_rect.h"

class CEntity;

// Text ids of the tooltip's words.
enum HoverText : int32_t {
  kHoverCityBusinessText = 8,    // "%i: %i": the city's name, the business type
  kHoverPlayerBusinessText = 9,  // "%s: %i": the player's name, the business type
  kHoverCityNameText = 1116,
  kHoverVehicleText = 2440,  // after the board's block and district names
  kHoverSubwayText = 2441,
  kHoverParkingText = 2442,
  kHoverBuildingText = 2443,
  kHoverPlayerIconText = 2444,
};

// Picked object kinds (the entity's object kind).
enum HoverKind : int32_t {
  kHoverPerson = 1,
  kHoverPerson2 = 2,
  kHoverVehicle = 3,
  kHoverBlock = 4,
  kHoverSubway = 5,
  kHoverParking = 6,
  kHoverBuilding = 9,
  kHoverPlayerIcon = 12,
};

// What the tooltip asks of the city and the players.
class CHoverWorld {
 public:
  virtual ~CHoverWorld() = default;
  // False when the building has no business.
  virtual bool BuildingBusiness(int32_t building, int32_t* typeNameText, int32_t* owner) = 0;
  virtual std::string PlayerName(int32_t owner) = 0;  // owner byte: player index + 1
  virtual bool PersonNameTexts(int32_t person, int32_t* first, int32_t* last) = 0;
  virtual std::string BlockName(int32_t block) = 0;
};

inline constexpr int32_t kHoverShowAfterFrames = 25;
inline constexpr uint32_t kHoverBoxColour = 0x9F000000u;

class CHoverInfo {
 public:
  CHoverInfo();
  void SetPickedObject(const CEntity* entity, int32_t building, bool immediate);
  void ClearPickedObject();
  void SetWidgetTooltip(CWidget* widget, bool immediate);
  void ClearWidgetTooltip();
  void SetTextId(int32_t textId);
  void CountFrame() { ++hoverFrames; }
  void Draw();
  // Where Draw puts the box for the current text and mouse.
  UIRect BoxRect();
  // The box moved beside any open panel of the in-game set that it crosses.
  static UIRect KeptOffPanels(UIRect box, float mouseX);
  void SetWorld(CHoverWorld* world) { world_ = world; }
  void Reset();

  bool shown = false;
  int32_t hoverFrames = 0;
  const CEntity* pickedObject = nullptr;
  CWidget* tooltipWidget = nullptr;
  CTextRect text;
  int32_t pickedBuilding = -1;

 private:
  void Rebuild();
  void AddPickedText();
  CHoverWorld* world_ = nullptr;
};

CHoverInfo& HoverInfo();

// Five debug text lines; their per-frame draw draws nothing.
class CDebugTextLines {
 public:
  void Build();
  void Draw() {}
  CTextRect lines[5];
  uint8_t flag = 0;
};

// The widget at x, y, width wide and 480 high, holding the text of the id.
void PlaceTextBox(CTextRect& text, float x, float y, float width, int32_t textId);
