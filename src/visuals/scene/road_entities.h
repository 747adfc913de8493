#pragma once
// The streets as entities: one per road node of the map, its model chosen by
// the node's kind and the sides it is linked on (straights, dead ends,
// crossings, tees and corners, drawn with the decade's road surfaces), kerb
// stones along the ordinary streets, and the car-park entrance of every
// traffic depot. The road models are built in code from the road and
// pavement textures, one for each piece and size the map asks for. Between
// blocks that people walk between with no street parting them (the strand
// and the docks), a footpath along each line they walk.
#include <cstdint>

#include "engine/core/maths.h"

class CEntityHouse;
struct RoadNode;

// Entity kinds of the street entities.
inline constexpr int16_t kEntityKindDepot = 6;
inline constexpr int16_t kEntityKindRoad = 7;
inline constexpr int16_t kEntityKindJunction = 8;

// The road pieces: crossings of the three junction sizes, a dead end, the
// wide and the ordinary street, then the tees (open north, east and west)
// and the corners (open north and west) of the three junction sizes.
enum RoadPiece : int32_t {
  kPieceCrossing = 0,  // + 0..2 by junction size
  kPieceDeadEnd = 3,   // open to the north
  kPieceWideRoad = 4,
  kPieceRoad = 5,
  kPieceTee = 6,      // + 0..2
  kPieceCorner = 9,   // + 0..2
  kRoadPieceCount = 12,
};

// The piece a node gets and how it is turned (degrees; 90 turns north to
// west); `piece` is -1 for a node drawn with nothing. `kerbs` asks for the
// kerb stones as a second entity.
struct RoadPieceChoice {
  int32_t piece = -1;
  float angle = 0;
  bool kerbs = false;
};
RoadPieceChoice ChooseRoadPiece(const RoadNode& node);

// One entity per road node (hidden nodes get an entity that is not drawn),
// the kerbs of the ordinary streets and one car-park entrance per depot.
// Needs the road and pavement textures and the loaded models.
void CreateRoadNodeEntities();
// True once the entities have been made for the current map.
bool RoadEntitiesCreated();
CEntityHouse& RoadNodeEntities();
CEntityHouse& DepotEntities();
int32_t DrawRoadEntities(const Mat43& view);
// Frees the entities and the road models.
void ReleaseRoadEntities();
