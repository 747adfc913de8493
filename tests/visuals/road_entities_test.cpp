// The street pieces: which piece each road node of the map gets and how it
// is turned, checked against the sides the node is really linked on.
#include <gtest/gtest.h>

#include <cmath>

#include "city/city_map.h"
#include "city/road_topology.h"
#include "visuals/scene/road_entities.h"

namespace {

// Sides after turning by `angle` degrees: each quarter turn takes north to
// west, west to south, south to east and east to north.
int32_t Turn(int32_t sides, float angle) {
  const int32_t quarters = (int32_t(std::lround(angle / 90.0f)) % 4 + 4) % 4;
  for (int32_t q = 0; q < quarters; ++q) {
    int32_t next = 0;
    if (sides & kNorth) next |= kWest;
    if (sides & kWest) next |= kSouth;
    if (sides & kSouth) next |= kEast;
    if (sides & kEast) next |= kNorth;
    sides = next;
  }
  return sides;
}

// The sides a piece is open on in its own frame.
int32_t OpenSides(int32_t piece) {
  if (piece >= kPieceCorner) return kNorth | kWest;
  if (piece >= kPieceTee) return kNorth | kEast | kWest;
  if (piece == kPieceDeadEnd) return kNorth;
  if (piece == kPieceRoad || piece == kPieceWideRoad) return kNorth | kSouth;
  return kNorth | kEast | kSouth | kWest;
}

TEST(RoadPieces, EveryNodeOfTheMapOpensWhereItIsLinked) {
  ASSERT_TRUE(BuildCityFromMap());
  int32_t corners = 0, tees = 0;
  for (int32_t i = 0; i < g_RoadNodes.NodeCount; ++i) {
    const RoadNode& n = g_RoadNodes.Nodes[size_t(i)];
    const RoadPieceChoice c = ChooseRoadPiece(n);
    if (n.Kind == kRoadNarrowNorthSouth || n.Kind == kJunction2x3 || n.Kind == kNodeUnknown) {
      EXPECT_EQ(c.piece, -1) << i;
      continue;
    }
    ASSERT_GE(c.piece, 0) << "node " << i << " kind " << n.Kind;
    const int32_t open = Turn(OpenSides(c.piece), c.angle);
    if (c.piece >= kPieceTee || c.piece == kPieceDeadEnd) {
      // Bends, tees and dead ends open exactly onto their neighbours.
      EXPECT_EQ(open, n.Links & 15) << "node " << i << " kind " << n.Kind << " angle " << c.angle;
    } else {
      // Crossings and straights: every linked side is open.
      EXPECT_EQ(open & n.Links, n.Links & 15) << "node " << i << " kind " << n.Kind;
    }
    corners += c.piece >= kPieceCorner;
    tees += c.piece >= kPieceTee && c.piece < kPieceCorner;
    EXPECT_EQ(c.kerbs, c.piece == kPieceRoad) << i;
  }
  // The map has bends and tees round its edges.
  EXPECT_GT(corners, 0);
  EXPECT_GT(tees, 0);
}

TEST(RoadPieces, JunctionSizesAndLinksPickThePiece) {
  struct Case {
    int32_t kind;
    uint8_t links;
    int32_t piece;
    float angle;
  };
  const Case cases[] = {
      {kJunction4x3, kNorth | kEast | kSouth | kWest, kPieceCrossing, 0},
      {kJunction6x3, kEast | kWest, kPieceCrossing + 1, 90},  // a straight pair keeps the node's angle
      {kJunction6x4, kNorth | kEast, kPieceCorner + 2, 270},
      {kJunction4x4, kSouth | kWest, kPieceCorner + 1, 90},
      {kJunction4x3, kEast | kSouth | kWest, kPieceTee, 180},
      {kJunction4x3, kNorth | kSouth | kWest, kPieceTee, 90},
      {kJunction2x3, kNorth | kSouth, -1, 0},
  };
  for (const Case& k : cases) {
    RoadNode n;
    n.Kind = k.kind;
    n.Links = k.links;
    n.Angle = k.kind == kJunction6x3 ? 90.0f : 0.0f;
    const RoadPieceChoice c = ChooseRoadPiece(n);
    EXPECT_EQ(c.piece, k.piece) << k.kind << " " << int(k.links);
    if (c.piece >= 0) {
      EXPECT_EQ(c.angle, k.angle) << k.kind << " " << int(k.links);
    }
  }
  // Dead ends keep the angle of their kind, which turns the piece's open
  // north end onto the open side.
  const struct {
    int32_t kind;
    float angle;
    int32_t open;
  } ends[] = {{kRoadDeadEndOpenSouth, 180, kSouth}, {kRoadDeadEndOpenNorth, 0, kNorth},
              {kRoadDeadEndOpenWest, 90, kWest}, {kRoadDeadEndOpenEast, 270, kEast}};
  for (const auto& e : ends) {
    RoadNode n;
    n.Kind = e.kind;
    n.Angle = e.angle;
    const RoadPieceChoice c = ChooseRoadPiece(n);
    EXPECT_EQ(c.piece, kPieceDeadEnd);
    EXPECT_EQ(Turn(OpenSides(c.piece), c.angle), e.open) << e.kind;
  }
}

}  // namespace
