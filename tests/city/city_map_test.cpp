#include <gtest/gtest.h>

#include "city/blocks.h"
#include "city/city_map.h"
#include "city/lane_network.h"
#include "city/road_topology.h"

TEST(CityMap, Smoke) {
  InitBlockDefs();
  InitDistricts();
  ASSERT_TRUE(BuildCityFromMap());
  EXPECT_EQ(g_RoadNodes.FirstJunction, 89);
  EXPECT_EQ(g_RoadNodes.JunctionCount, 63);
  printf("lanes %d waypoints %d depots %d posts %d lights %d\n", g_Lanes.LaneCount, g_Lanes.WaypointCount,
         g_Lanes.DepotCount, g_Lanes.PostCount, g_StreetLights.Count);
}
