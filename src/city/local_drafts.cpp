#include "city/local_drafts.h"

#include <algorithm>
#include <array>

#include "city/blocks.h"
#include "city/buildings.h"

namespace {

struct OpenDraft {
  bool open = false;
  BusinessDraft draft;
};

std::array<OpenDraft, kMaxBusinesses>& BusinessDrafts() {
  static std::array<OpenDraft, kMaxBusinesses> drafts;
  return drafts;
}

std::array<BlockRequestMarks, kBlockCount + 1>& BlockMarks() {
  static std::array<BlockRequestMarks, kBlockCount + 1> marks;
  return marks;
}

std::array<BuildingRequestMarks, kBuildingPoolSize + 1>& BuildingMarks() {
  static std::array<BuildingRequestMarks, kBuildingPoolSize + 1> marks;
  return marks;
}

bool ValidBusiness(int32_t business) { return business >= 0 && business < kMaxBusinesses; }

BusinessDraft AppliedValues(const CBusiness& b) {
  BusinessDraft d;
  std::copy(std::begin(b.StockTarget), std::end(b.StockTarget), d.StockTarget);
  std::copy(std::begin(b.Price), std::end(b.Price), d.Price);
  d.Rent = b.RentPerPlace;
  return d;
}

}  // namespace

BusinessDraft BusinessDraftOf(const CBusiness& b) {
  if (ValidBusiness(b.Index) && BusinessDrafts()[size_t(b.Index)].open) return BusinessDrafts()[size_t(b.Index)].draft;
  return AppliedValues(b);
}

BusinessDraft& EditBusinessDraft(const CBusiness& b) {
  static OpenDraft spare;
  OpenDraft& slot = ValidBusiness(b.Index) ? BusinessDrafts()[size_t(b.Index)] : spare;
  if (!slot.open) slot = OpenDraft{true, AppliedValues(b)};
  return slot.draft;
}

bool BusinessDraftChanged(int32_t business) {
  return ValidBusiness(business) && BusinessDrafts()[size_t(business)].open &&
         BusinessDrafts()[size_t(business)].draft.Changed;
}

void ForgetBusinessDraft(int32_t business) {
  if (ValidBusiness(business)) BusinessDrafts()[size_t(business)] = OpenDraft{};
}

BlockRequestMarks& LocalBlockMarks(int32_t block) {
  auto& marks = BlockMarks();
  if (block < 0 || block >= kBlockCount) {
    marks[kBlockCount] = BlockRequestMarks{};
    return marks[kBlockCount];
  }
  return marks[size_t(block)];
}

BuildingRequestMarks& LocalBuildingMarks(int32_t building) {
  auto& marks = BuildingMarks();
  if (building < 0 || building >= kBuildingPoolSize) {
    marks[kBuildingPoolSize] = BuildingRequestMarks{};
    return marks[kBuildingPoolSize];
  }
  return marks[size_t(building)];
}
