#include "city/random_block.h"

#include <algorithm>

#include "city/blocks.h"
#include "city/business.h"
#include "city/business_types.h"
#include "city/buildings.h"
#include "city/city_services.h"
#include "engine/core/error.h"
#include "engine/core/random_stream.h"
#include "session/game_clock.h"

namespace {

constexpr int32_t kDrawnTypes = 42;
// Floors are kept in a lot byte; the library stretches a design to 249 at most.
constexpr int32_t kMaxRandomFloors = 249;
// A draw that never meets an available type would stop the game: after this
// many the first available type is taken.
constexpr int32_t kMaxTypeDraws = 4096;
constexpr int32_t kClassOrder[4] = {1, 4, 0, 3};

int32_t Draw() { return int32_t(BlockGeneratorRandom().Rand()); }

bool TypeAvailable(int32_t t) {
  const BusinessType* type = GetBusinessType(t);
  return type != nullptr && type->Available != 0;
}

// Draws business types until one is available; -1 when none is.
int32_t DrawAvailableType() {
  int32_t first = -1;
  for (int32_t t = 0; t < kDrawnTypes && first < 0; ++t)
    if (TypeAvailable(t)) first = t;
  if (first < 0) return -1;
  for (int32_t n = 0; n < kMaxTypeDraws; ++n) {
    const int32_t t = Draw() % kDrawnTypes;
    if (TypeAvailable(t)) return t;
  }
  return first;
}

// Floors, width and depth of a request of S units.
void Shape(int32_t s, int32_t looseness, BuildingRequest& r) {
  r.Floors = RandomVary(3, looseness) < s ? RandomVary(3, looseness) : s;
  r.Floors = std::clamp(r.Floors, 1, kMaxRandomFloors);
  int32_t q = std::max(1, s / r.Floors);
  r.Width = RandomVary(3, looseness) < q ? RandomVary(3, looseness) : q;
  q = std::max(1, q / r.Width);
  r.Depth = RandomVary(3, looseness) < q ? RandomVary(3, looseness) : q;
}

// The first free run of lots along the four edges, in the fixed order.
bool FindPlace(const CBlock& b, const BuildingRequest& r, int& x1, int& z1) {
  const int w = r.Width, d = r.Depth;
  if (w < 1 || d < 1 || w > kLotsPerSide || d > kLotsPerSide) return false;
  auto fits = [&](int x, int z) { return IsLotRegionFree(b.Lots, x, z, x + w - 1, z + d - 1); };
  auto lotFree = [&](int x, int z) { return b.Lots[x][z] == 0; };
  for (int x = 0; x <= kLotsPerSide - w; ++x)
    if (lotFree(x, 0) && fits(x, 0)) return x1 = x, z1 = 0, true;
  for (int z = 0; z <= kLotsPerSide - d; ++z)
    if (lotFree(kLotsPerSide - w, z) && fits(kLotsPerSide - w, z)) return x1 = kLotsPerSide - w, z1 = z, true;
  for (int x = 0; x <= kLotsPerSide - w; ++x)
    if (lotFree(x, kLotsPerSide - d) && fits(x, kLotsPerSide - d)) return x1 = x, z1 = kLotsPerSide - d, true;
  for (int z = 0; z <= kLotsPerSide - d; ++z)
    if (lotFree(0, z) && fits(0, z)) return x1 = 0, z1 = z, true;
  return false;
}

}  // namespace

CRandomStream& BlockGeneratorRandom() {
  static CRandomStream stream;
  return stream;
}

int32_t RandomVary(int32_t centre, int32_t looseness) {
  const int32_t r = Draw() % 101;
  if (r >= looseness) return centre;
  const int32_t k = (2 * r - 1) / looseness;
  return (r & 1) ? centre + 1 + k : centre - 1 - k;
}

int32_t MakeBuildingRequests(int32_t block, int32_t decade, BuildingRequest (&rows)[kRandomBlockRows]) {
  const CBlock* b = GetBlock(block);
  if (b == nullptr || b->DefIndex < 0 || b->DefIndex >= kBlockCount) return 0;
  const BlockDef& def = g_BlockDefs[size_t(b->DefIndex)];
  const int32_t looseness = int32_t(def.Looseness);
  int32_t count = 0;
  for (int32_t k : kClassOrder) {
    int32_t budget = int32_t(float(decade * 49 + 147) * def.Distribution[k] * 0.01f);
    while (budget > 0) {
      if (count == kRandomBlockRows) return count;  // the list is full: the rest is not built
      BuildingRequest r;
      int32_t s = budget;
      if (k == 0 || k == 3) {
        r.Business = DrawAvailableType();
        if (r.Business < 0) {
          ReportErrorF(1, "Block %d: no business type is available; its random fill ends", block);
          return count;
        }
        const BusinessType* t = GetBusinessType(r.Business);
        s = std::max(t->MinArea, std::min(t->MaxArea, budget));
        if (k == 3) r.Business = -1;
      } else {
        r.Business = k == 1 ? kTypeApartments : -1;
      }
      r.Kind = (k == 1 || k == 4) ? kKindResidential : kKindRetail;
      Shape(std::max(1, s), looseness, r);
      budget -= r.Width * r.Depth * r.Floors;
      rows[count++] = r;
    }
  }
  return count;
}

void BuildRandomBlock(int32_t block) {
  CBlock* b = GetBlock(block);
  if (b == nullptr || !b->InUse) return;
  BuildingRequest rows[kRandomBlockRows];
  const int32_t count = MakeBuildingRequests(block, GameClock().decade, rows);
  for (int32_t i = 0; i < count; ++i) {
    const BuildingRequest& r = rows[i];
    int x1, z1;
    if (!FindPlace(*b, r, x1, z1)) continue;  // fits nowhere: dropped
    CBuilding* building = AllocBuilding();
    if (building == nullptr) return;
    Draw();
    Draw();
    const uint32_t s = BlockGeneratorRandom().GetState();
    const int32_t seed = int32_t((((s >> 16) & 0x7FFF) * 4096 + ((s >> 20) & 0x7FF)) * 16);
    b->PlaceBuilding(building, x1, z1, x1 + r.Width - 1, z1 + r.Depth - 1, r.Floors, seed, r.Kind, 0, 0.0f);
    if (r.Business < 0) continue;
    const int32_t business = AllocBusiness(r.Business, 0, building->Id);
    if (business < 0) {
      ReportError(1, 0, "Run out of businesses");
      continue;
    }
    OpenBusiness(business, building->Id, true);
  }
}

void BuildRandomCity() {
  for (int32_t i = 0; i < kBlockCount; ++i)
    if (g_Blocks[size_t(i)].InUse) BuildRandomBlock(i);
}
