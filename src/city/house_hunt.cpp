// The choices made for a person: where to live (scoring blocks by rent, free
// places and prestige, then the best residence in the best block) and where
// to shop (scoring blocks and shops by the household's wants and prices).
#include <algorithm>
#include <cmath>

#include "city/blocks.h"
#include "city/buildings.h"
#include "city/business.h"
#include "city/commodities.h"
#include "city/house_hunt.h"
#include "city/households.h"
#include "city/people.h"
#include "city/person.h"
#include "city/population_classes.h"
#include "engine/core/error.h"
#include "engine/core/random_stream.h"
#include "session/player.h"
#include "session/player_data.h"

namespace {

float Distance(float x1, float z1, float x2, float z2) {
  float dx = x2 - x1, dz = z2 - z1;
  return std::sqrt(dx * dx + dz * dz);
}

// The residence business in a building, or null.
const CBusiness* ResidenceIn(const CBuilding* building) {
  const CBusiness* b = GetBusinessInUse(building->BusinessIndex);
  return (b != nullptr && b->IsResidence()) ? b : nullptr;
}

int ClassIndex(const CPerson& p) { return std::clamp(p.SocialClass, 0, kSocialClassCount - 1); }

int32_t BlockClassScore(const CPerson& p, int32_t block) {
  return block >= 0 && block < kBlockCount ? g_BlockDefs[block].ClassScore[ClassIndex(p)] : 0;
}

// The share of its income a class pays in rent, moved by the apartment rent
// list: more in a block that suits the class, less in one that does not.
bool Affordable(const CPerson& p, const CBusiness& b) {
  const int32_t adjust = HouseHuntScore(g_ClassPairLists[ClassIndex(p)].ApartmentRent, BlockClassScore(p, b.GetBlock()));
  return b.RentPerPlace <= kAffordabilityFactor * ClassIncome(p.Kind, p.SocialClass) *
                               (1.0f + 0.01f * static_cast<float>(adjust));
}

// Free places of a residence as the person sees them: its own place counts.
int32_t FreePlacesFor(const CPerson& p, const CBusiness& b, const CBuilding& building) {
  int32_t free = static_cast<int32_t>(b.Capacity) - static_cast<int32_t>(b.Occupants);
  if (p.HomeBuilding == building.Id) ++free;
  return free;
}

const CHousehold* HouseholdOf(const CPerson& p) { return GetHousehold(p.Household); }

}  // namespace

int32_t CPerson::ScoreHousingBlock(int32_t block) const {
  const CBlock* blk = GetBlock(block);
  if (blk == nullptr) return kNoHousingScore;
  float rentSum = 0;
  int32_t places = 0;
  for (const CBuilding* building = blk->FirstBuilding; building; building = building->Next) {
    const CBusiness* b = ResidenceIn(building);
    if (b == nullptr || !Affordable(*this, *b)) continue;
    int32_t free = FreePlacesFor(*this, *b, *building);
    if (free <= 0) continue;
    rentSum += b->RentPerPlace * static_cast<float>(free);
    places += free;
  }
  if (places == 0) return kNoHousingScore;
  const SocialClassRow& w = ::SocialClass(SocialClass);
  float base = w.PrestigeWeight * blk->Prestige * 40.0f;
  if (block == HomeBlock) {
    base = static_cast<float>(static_cast<int32_t>(base + 50.0f));
  } else {
    base = static_cast<float>(static_cast<int32_t>(base + static_cast<float>(std::min(places, 100))));
  }
  // Cheapness against the city's average block value; with no average to
  // compare against, rents count as neither cheap nor dear.
  float average = PlayerData().GetAverageBlockValue();
  float cheapness = 0.0f;
  if (average > 0.0f) cheapness = std::max(0.0f, 200.0f - (100.0f * rentSum) / (average * static_cast<float>(places)));
  // How the class rates the block and its rents, and the way to work.
  const ClassPairLists& lists = g_ClassPairLists[ClassIndex(*this)];
  float fit = static_cast<float>(BlockClassScore(*this, block)) +
              static_cast<float>(HouseHuntScore(lists.RentScore, static_cast<int32_t>(rentSum / static_cast<float>(places))));
  if (const CBlock* work = GetBlock(WorkBlock)) {
    const float way = Distance(blk->CentreX, blk->CentreZ, work->CentreX, work->CentreZ);
    fit += static_cast<float>(HouseHuntScore(lists.Proximity, static_cast<int32_t>(way)));
  }
  return static_cast<int32_t>(w.PriceWeight * cheapness + base + fit);
}

int32_t CPerson::ChooseResidence(int32_t block) const {
  const CBlock* blk = GetBlock(block);
  if (blk == nullptr) return -1;
  const SocialClassRow& w = ::SocialClass(SocialClass);
  int32_t best = -1;
  int32_t bestScore = 0;
  for (const CBuilding* building = blk->FirstBuilding; building; building = building->Next) {
    const CBusiness* b = ResidenceIn(building);
    if (b == nullptr || !Affordable(*this, *b) || FreePlacesFor(*this, *b, *building) <= 0) continue;
    float quality = static_cast<float>(building->Quality);
    int32_t score = static_cast<int32_t>((quality * 33.0f + 33.0f) * w.QualityWeight +
                                         static_cast<float>(static_cast<int32_t>(b->RentPerPlace * w.PriceWeight)));
    if (building->Id == HomeBuilding) score += 50;
    if (best < 0 || score > bestScore) {
      best = b->Index;
      bestScore = score;
    }
  }
  return best;
}

bool CPerson::FindHomeBlock() {
  int32_t best = -1;
  int32_t bestScore = kNoHousingScore;
  for (int32_t block = 0; block < kBlockCount; ++block) {
    int32_t score = ScoreHousingBlock(block);
    if (score > bestScore) {
      best = block;
      bestScore = score;
    }
  }
  if (best < 0) return false;
  TargetBlock = static_cast<uint8_t>(best);
  return true;
}

void CPerson::HouseHunt() {
  if (!IsHoused()) return;
  if (!FindHomeBlock()) {
    LeaveHome();
    Replan(*this);
    return;
  }
  int32_t r = ChooseResidence(TargetBlock);
  const CBuilding* home = GetBuilding(HomeBuilding);
  if (r >= 0 && home != nullptr && home->BusinessIndex == r) return;
  LeaveHome();
  CBusiness* b = GetBusinessInUse(r);
  if (b != nullptr && b->AddPerson(*this)) {
    const CBuilding* building = b->GetBuilding();
    HomeBuilding = static_cast<int16_t>(building->Id);
    HomeBlock = static_cast<uint8_t>(b->GetBlock());
  }
  Replan(*this);
}

void UpdateHouseHuntDaily() {
  for (int i = 0; i < g_PeopleCount && i < kMaxPeople; ++i) {
    CPerson& p = g_People[i];
    if (!p.InUse) continue;
    int32_t left = p.GetHouseHuntCountdown() - 1;
    if (left > 0) {
      p.SetHouseHuntCountdown(left);
      continue;
    }
    // Reaching 0, or wrapping below it, reloads the countdown and hunts.
    uint32_t limit = g_ItchyCounter > 0 ? static_cast<uint32_t>(g_ItchyCounter) : 1u;
    p.SetHouseHuntCountdown(1 + static_cast<int32_t>(HouseholdRandom().Range(limit)));
    p.HouseHunt();
  }
}

int32_t GetHouseHuntEntry(const HouseHuntTable& table, int32_t value) {
  int32_t count = std::clamp(table.Count, 0, kClassPairEntries);
  for (int i = 0; i < count; ++i) {
    if (table.First[i] >= value) return table.Second[i];
  }
  ReportError(1, 0, "Out of range - house hunt entry");
  return 0;
}

int32_t HouseHuntScore(const HouseHuntTable& table, int32_t value) {
  int32_t count = std::clamp(table.Count, 0, kClassPairEntries);
  if (count == 0) return 0;
  return GetHouseHuntEntry(table, std::min(value, table.First[count - 1]));
}

// ---- Shopping ------------------------------------------------------------------

float CPerson::ScoreShopOffer(int32_t business, int32_t commodity, float* valueOut, float* prestigeOut) const {
  if (valueOut) *valueOut = 0;
  if (prestigeOut) *prestigeOut = 0;
  const CBusiness* b = GetBusinessInUse(business);
  if (b == nullptr || b->TotalStock <= 0) return 0;
  int slot = b->FindCommoditySlot(commodity);
  if (slot < 0) return 0;
  float price = b->Price[slot];
  // A shop with no price set cannot be weighed against what the household means to spend.
  if (price <= 0.0f) return 0;
  float seen = (b->EventKind == 3 && b->IsEventRunning()) ? price * b->EventFactor : price;
  if (seen > GetCommodityDefaultPrice(commodity) * PriceTolerance) return 0;
  const CHousehold* h = HouseholdOf(*this);
  float value = (h ? h->Want[commodity] : 0.0f) / price * 80.0f;
  if (valueOut) *valueOut = value;
  if (value < 80.0f || b->OpenState != kOpen) return 0;
  const CBuilding* building = b->GetBuilding();
  float prestige = (building && building->Block) ? building->Block->Prestige * 20.0f : 0.0f;
  if (prestigeOut) *prestigeOut = prestige;
  const SocialClassRow& w = ::SocialClass(SocialClass);
  float quality = building ? static_cast<float>(building->Quality) : 0.0f;
  float offer = (quality + 1.0f) * 33.0f * w.QualityWeight + w.PriceWeight * value + prestige * w.PrestigeWeight;
  if ((b->EventKind == 1 || b->EventKind == 2) && b->IsEventRunning()) offer *= b->EventFactor;
  return offer;
}

float CPerson::GetBlockDistanceScore(int32_t block) const {
  const CBlock* blk = GetBlock(block);
  if (!g_ShoppingDistanceScore || blk == nullptr) return 0;
  float x = PositionX, z = PositionZ;
  if (const CBlock* home = GetBlock(HomeBlock)) {
    x = home->CentreX;
    z = home->CentreZ;
  }
  return (100.0f - 0.1f * Distance(x, z, blk->CentreX, blk->CentreZ)) * ::SocialClass(SocialClass).DistanceWeight;
}

float CPerson::ScoreShoppingBlock(int32_t block) const {
  const CBlock* blk = GetBlock(block);
  const CHousehold* h = HouseholdOf(*this);
  if (blk == nullptr || h == nullptr || GetBlockMemory(block) == 0) return kNoShoppingScore;
  uint32_t commodities = blk->CommodityMask & h->WantMask & ShoppingMask;
  if (commodities == 0) return kNoShoppingScore;
  int32_t sum = 0;
  for (int c = 0; c < kCommodityCount; ++c) {
    if (!(commodities & (1u << c))) continue;
    int32_t best = 0;
    for (const CBuilding* building = blk->FirstBuilding; building; building = building->Next) {
      const CBusiness* b = GetBusinessInUse(building->BusinessIndex);
      if (b == nullptr || !(b->InStockMask & (1u << c)) || !b->HasCommodity(c)) continue;
      best = std::max(best, static_cast<int32_t>(ScoreShopOffer(b->Index, c)));
    }
    sum += best;
  }
  if (sum == 0) return kNoShoppingScore;
  return static_cast<float>(sum) + GetBlockDistanceScore(block);
}

int32_t CPerson::ChooseShoppingBlock() {
  int32_t best = -1;
  float bestScore = 0;
  for (int32_t block = 0; block < kBlockCount; ++block) {
    float score = ScoreShoppingBlock(block);
    if (score > bestScore) {
      best = block;
      bestScore = score;
    }
  }
  if (best < 0) return -1;
  TargetBlock = static_cast<uint8_t>(best);
  static constexpr int32_t kTripPoints[3] = {40, 20, 10};
  int32_t owner = g_Blocks[best].Owner;
  CPlayer* player = PlayerTable().ByNumber(owner);
  if (player != nullptr && TripsToday < 3) player->pointsA += kTripPoints[TripsToday];
  if (TripsToday < 255) ++TripsToday;
  return best;
}

bool CPerson::ChooseShop() {
  const CBlock* blk = GetBlock(TargetBlock);
  const CHousehold* h = HouseholdOf(*this);
  const ::PreferenceRow* row = GetPreferenceRow(PreferenceRow);
  if (blk == nullptr || h == nullptr || row == nullptr) return false;
  const float tripWeight = ::SocialClass(SocialClass).TripDistanceWeight;
  for (int i = 0; i < row->Count; ++i) {
    int32_t c = row->Commodity[i];
    if (!IsCommodity(c) || !(h->WantMask & (1u << c)) || !(ShoppingMask & (1u << c))) continue;
    const CBusiness* shop = nullptr;
    float best = 0;
    for (const CBuilding* building = blk->FirstBuilding; building; building = building->Next) {
      const CBusiness* b = GetBusinessInUse(building->BusinessIndex);
      if (b == nullptr || !(b->InStockMask & (1u << c)) || !b->HasCommodity(c)) continue;
      float offer = ScoreShopOffer(b->Index, c);
      if (offer == 0) continue;
      if (best == 0 || offer < best + 1.0f)
        offer += (100.0f - Distance(PositionX, PositionZ, building->CentreX, building->CentreZ)) * tripWeight;
      if (offer > best) {
        best = offer;
        shop = b;
      }
    }
    if (shop != nullptr) {
      Commodity = c;
      Destination.Block = TargetBlock;
      Destination.Building = shop->Building;
      return true;
    }
  }
  return false;
}
