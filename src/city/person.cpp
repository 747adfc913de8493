#include "city/person.h"

#include <algorithm>

#include "city/blocks.h"
#include "city/buildings.h"
#include "city/business.h"
#include "city/people.h"

std::array<CPerson, kMaxPeople> g_People;
int32_t g_PeopleCount = 0;

CPerson* GetPerson(int32_t index) { return (index >= 0 && index < kMaxPeople) ? &g_People[index] : nullptr; }

void ClearPersonRecords() {
  for (int i = 0; i < kMaxPeople; ++i) {
    g_People[i] = CPerson{};
    g_People[i].Index = static_cast<uint16_t>(i);
  }
  g_PeopleCount = 0;
}

void RaiseBlockMemoryForAll(int32_t block) {
  if (block < 0 || block >= kBlockCount) return;
  for (int i = 0; i < g_PeopleCount && i < kMaxPeople; ++i) {
    if (g_People[i].InUse) g_People[i].RaiseBlockMemory(block);
  }
}

int CPerson::GetBlockMemory(int32_t block) const {
  if (block < 0 || block >= kBlockCount) return 0;
  return (BlockMemory[block / 4] >> ((block % 4) * 2)) & 3;
}

void CPerson::SetBlockMemory(int32_t block, int value) {
  if (block < 0 || block >= kBlockCount) return;
  int shift = (block % 4) * 2;
  uint8_t& byte = BlockMemory[block / 4];
  byte = static_cast<uint8_t>((byte & ~(3 << shift)) | ((std::clamp(value, 0, 3)) << shift));
}

void CPerson::RaiseBlockMemory(int32_t block) { SetBlockMemory(block, std::min(GetBlockMemory(block) + 1, 3)); }

int CPerson::ClassRow() const { return std::clamp(SocialClass, 0, 2); }

float CPerson::GetHomeRent() const {
  const CBuilding* home = GetBuilding(HomeBuilding);
  const CBusiness* b = home ? GetBusinessInUse(home->BusinessIndex) : nullptr;
  return b ? b->RentPerPlace : 0.0f;
}

void CPerson::LeaveHome() {
  const CBuilding* home = GetBuilding(HomeBuilding);
  CBusiness* b = home ? GetBusinessInUse(home->BusinessIndex) : nullptr;
  if (b != nullptr) b->RemovePerson(*this);
  HomeBlock = kNoBlock;
  HomeBuilding = -1;
}

void CPerson::Evict() {
  LeaveHome();
  Replan(*this);
}
