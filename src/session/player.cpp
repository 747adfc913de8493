#include "session/player.h"

#include <algorithm>
#include <cstring>

#include "city/buildings.h"
#include "city/business.h"
#include "city/commodities.h"
#include "city/households.h"
#include "city/person.h"
#include "engine/core/error.h"
#include "engine/core/byte_io.h"
#include "session/chance_cards.h"
#include "session/game_events.h"
#include "session/session_services.h"
#include "session/net_log.h"

// ---- CPlayer ----------------------------------------------------------------

CPlayer::CPlayer() : chance_(std::make_unique<CPlayerChance>(*this)) {}
CPlayer::~CPlayer() = default;

void CPlayer::AddToLedger(float amount, int32_t category) {
  if (category < 0 || category >= kLedgerCategories) {
    ReportErrorF(1, "AddToLedger: Invalid ledger category %d.", category);
    return;
  }
  Today()[category] += amount;
}

bool CPlayer::IsLocal() const { return PlayerTable().Local() == this; }

void CPlayer::AddMoney(float amount, int32_t category) {
  AddToLedger(amount, category);
  money += amount;
  if (!IsLocal() || amount == 0.0f) return;
  const bool gain = amount > 0.0f;
  PostGameEvent(MoneyEvent{gain});
  PostGameEvent(SoundEvent{gain ? "spot_any_sell.wav" : "spot_any_buy.wav", 60});
}

int32_t CPlayer::GetRatingPoints() const {
  int64_t sum = int64_t(pointsA) + pointsB;
  return sum < 0 ? 0 : static_cast<int32_t>(std::min<int64_t>(sum, INT32_MAX));
}

bool CPlayer::CanAfford(float amount, bool show) const {
  if (kCreditAllowance + money >= amount || Session().unlimitedMoney) return true;
  if (show && IsLocal()) PostGameEvent(PromptEvent{kDefaultPortrait, 1718, 1730, 0, 1435});
  return false;
}

bool CPlayer::OwnsDistrictSet(int32_t district) const {
  if (district < 0 || district >= kDistrictCount) return false;
  bool any = false;
  for (int32_t block : g_Districts[district].Blocks) {
    if (block < 0 || block >= kBlockCount) continue;
    any = true;
    if (!ownedBlocks[block]) return false;
  }
  return any;
}

void CPlayer::UpdateDistrictSetFlag() {
  ownsDistrict = 0;
  for (int d = 0; d < kDistrictCount; ++d)
    if (OwnsDistrictSet(d)) ownsDistrict = 1;
}

void CPlayer::RequestBuyBlock(int32_t block, float price, int32_t extra) {
  const CBlock* b = GetBlock(block);
  if (b == nullptr) return;
  PlayerTable().PostPlayerMessage(int32_t(b->Owner) - 1, index, PLAYER_MESS_BUY_REQUEST,
                                  BlockDeal{BlockId{block}, static_cast<int32_t>(price), extra}, kSenderToken);
}

void CPlayer::RequestSellBlock(int32_t block, float amount, int32_t extra) {
  PlayerTable().PostPlayerMessage(kCityPlayer, index, PLAYER_MESS_BLOCK_SALE,
                                  BlockDeal{BlockId{block}, static_cast<int32_t>(amount), extra}, kSenderToken);
}

bool CPlayer::PostConstructBuilding(int32_t block, int32_t lotX, int32_t lotY, int32_t width, int32_t depth,
                                    int32_t floors, int32_t design, int32_t buildingKind, int32_t quality,
                                    int32_t /*ignored*/, int32_t businessType) {
  EstimateBuildingCost(block, width * depth * floors, buildingKind, businessType, static_cast<uint8_t>(quality),
                       index);
  const BuildingCostEstimate& e = g_LastCostEstimate;
  return Post(ConstructBuildingMsg{BlockId{block}, lotX, lotX + width - 1, lotY, lotY + depth - 1, floors, design,
                                   businessType, buildingKind, quality, NumberOf(PlayerIndex{index}),
                                   {e.Construction, e.UtilityCharge, e.RentEstimate, e.StockCost}});
}

bool CPlayer::PostDemolishBuilding(int32_t building, int32_t value) {
  return Post(DemolishBuildingMsg{PlayerIndex{index}, BuildingId{building}, value});
}

bool CPlayer::PostOpenBusiness(int32_t building, int32_t businessType, int32_t flags) {
  return Post(OpenBusinessMsg{BuildingId{building}, businessType, NumberOf(PlayerIndex{index}),
                              static_cast<uint8_t>(flags)});
}

bool CPlayer::PostBuyBusiness(int32_t building, int32_t businessType) {
  return Post(BuyBusinessMsg{BuildingId{building}, businessType, NumberOf(PlayerIndex{index})});
}

bool CPlayer::PostCloseBusiness(int32_t business) {
  return Post(CloseBusinessMsg{BusinessId{business}, PlayerIndex{index}});
}

bool CPlayer::PostRemovePlayer(int32_t player) { return Post(RemovePlayerMsg{PlayerIndex{player}}); }

bool CPlayer::AddMessage(const PlayerMessage& message) {
  if (!inUse) return false;
  queue_.push_back(message);
  return true;
}

const PlayerMessage* CPlayer::PopMessage() {
  if (queue_.empty()) return nullptr;
  current_ = queue_.front();
  queue_.pop_front();
  return &current_;
}

namespace {

// The resident households of the block's apartments: for each, adds one to
// the tally of every active commodity it wants; returns how many there are.
int32_t CountBlockResidents(int32_t block, int16_t* tally) {
  int32_t households = 0;
  const CBlock* blk = GetBlock(block);
  if (blk == nullptr) return 0;
  for (const CBuilding* bld = blk->FirstBuilding; bld; bld = bld->Next) {
    const CBusiness* r = GetBusinessInUse(bld->GetBusiness());
    if (r == nullptr || r->Type != kTypeApartments) continue;
    int guard = 0;
    for (int32_t p = r->FirstResident; p >= 0 && p < kMaxPeople && guard < kMaxPeople;
         p = g_People[p].NextResident, ++guard) {
      const CHousehold* h = GetHousehold(g_People[p].Household);
      if (h == nullptr) continue;
      ++households;
      for (int c = 0; c < kCommodityCount; ++c)
        if (g_Commodities[c].Active && (h->WantMask >> c & 1u)) ++tally[c];
    }
  }
  return households;
}

}  // namespace

void CPlayer::BeginResidentCount(int32_t block) {
  if (block < 0 || block >= kBlockCount) return;
  counting = 1;
  countingActive = 1;
  countedBlock = block;
  const int32_t households = CountBlockResidents(block, demandTally);
  int32_t total = std::clamp<int32_t>(residentCount + households, INT16_MIN, INT16_MAX);
  residentCount = residentCount2 = static_cast<int16_t>(total);
  countingActive = 0;
}

void CPlayer::ClearResidentCount() {
  counting = countingActive = 0;
  countedBlock = 0;
  residentCount = residentCount2 = 0;
  std::memset(demandTally, 0, sizeof demandTally);
}

// ---- Human player -------------------------------------------------------------

// The interface shows the message's prompt; the player's answer (to a buy
// request or a buy-out) comes back as a game message of its own.
void CHumanPlayer::ShowMessage(const PlayerMessage& message) {
  PlayerMessageEvent e{index, message};
  const bool fromPlayer = !message.from.IsNone();
  switch (message.code) {
    case PLAYER_MESS_BUY_REQUEST:
      e = PlayerMessageEvent{index, message, message.from.value, 1712, 1713, {1704, 1705}, 2};
      break;
    case PLAYER_MESS_BUY_ACCEPTED:
      e = PlayerMessageEvent{index, message, fromPlayer ? message.from.value : -1, 1708, 1709};
      break;
    case PLAYER_MESS_REFUSED:
      e = PlayerMessageEvent{index, message, fromPlayer ? message.from.value : -1, 1710, 1711};
      break;
    case PLAYER_MESS_DEBT_WARNING:
      e = PlayerMessageEvent{index, message, -1, 1731, 1732};
      break;
    case PLAYER_MESS_BOUGHT_OUT:
      e = PlayerMessageEvent{index, message, message.from.value, 1714, 1715};
      break;
    default:
      break;
  }
  PostGameEvent(e);
}

void CHumanPlayer::Update() {
  if (--updateCountdown > 0) return;
  updateCountdown = 2;
  if (state == 0)
    HandleMessage();
  else if (state != 1)
    ReportError(1, 0, "Unhandled human player state");
}

void CHumanPlayer::HandleMessage() {
  const PlayerMessage* m = PopMessage();
  if (m == nullptr) return;
  switch (m->code) {
    case PLAYER_MESS_BUY_REQUEST:
    case PLAYER_MESS_BUY_ACCEPTED:
    case PLAYER_MESS_REFUSED:
    case PLAYER_MESS_DEBT_WARNING:
      ShowMessage(*m);
      break;
    case PLAYER_MESS_BOUGHT_OUT: {
      const CBuilding* b = GetBuilding(m->As<BoughtOutNote>().building.value);
      if (b && b->GetBusiness() >= 0) ShowMessage(*m);
      break;
    }
    case PLAYER_MESS_CARD_HELD:
      Chance().SetHeldCard(m->As<CardNote>().card);
      break;
    case 34:
    case PLAYER_MESS_AUCTION_BEGINS:
    case PLAYER_MESS_AUCTION_OVER:
    case PLAYER_MESS_AUCTION_ENDED:
    case PLAYER_MESS_OUT_OF_DEBT:
    case PLAYER_MESS_REMOVED:
    case PLAYER_MESS_BUSINESS_JOINS:
      break;
    default:
      NetLogF(m->from.value + 1, "Unhandled Player message (code %d from player %d)", m->code, m->from.value + 1);
      break;
  }
}

void CHumanPlayer::AnswerBuyRequest(int32_t button, int32_t code) {
  const PlayerMessage& m = CurrentMessage();
  const BlockDeal& offer = m.As<BlockDeal>();
  const BlockId block = offer.block;
  const CBlock* b = GetBlock(block.value);
  CPlayer* local = PlayerTable().Local();
  bool stillOurs = b != nullptr && local != nullptr && b->Owner == local->index + 1;
  if (stillOurs && code == PLAYER_MESS_BUY_REQUEST) {
    if (button == 0) {
      Post(StartAuctionMsg{block, m.from, offer.amount, {offer, m.token}});
    } else if (button == 1) {
      PlayerTable().RepostPlayerMessage(m, PLAYER_MESS_REFUSED);
    }
  }
  state = 0;
}

