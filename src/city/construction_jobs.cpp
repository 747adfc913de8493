#include "city/construction_jobs.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "city/blocks.h"
#include "city/buildings.h"
#include "city/business_types.h"
#include "city/city_services.h"
#include "city/traffic.h"
#include "engine/core/error.h"
#include "session/save_chunks.h"
#include "session/player.h"
#include "session/session_state.h"

namespace {

constexpr float kGrowthStep = 0.01f;
constexpr float kSinkStep = 0.3f;
constexpr float kSunkDepth = -10.3f;
constexpr int32_t kSitesKept = 2;

std::array<SoundSites, kSiteListCount> g_sites;

int32_t ScaffoldTicks(const CBuilding& b) { return int32_t(b.Floors) * kScaffoldTicksPerFloor; }

// The building's look from its job: grown (scale) and sunk (drop).
void ShowJobLook(const ConstructionJob& job, CBuilding& b) {
  BuildingVisual& v = b.Visual;
  v.Growth = 1.0f;
  v.Sink = 0.0f;
  if (job.Kind == kJobBuild && job.Phase == kPhaseScaffoldUp) v.Growth = 0.0f;
  if (job.Kind == kJobBuild && job.Phase == kPhaseGrowing) v.Growth = std::min(1.0f, float(job.Counter) * kGrowthStep);
  if (job.Kind == kJobDemolish && job.Phase == kPhaseSinking) v.Sink = float(job.Counter) * kSinkStep;
  if (job.Kind == kJobDemolish && job.Phase == kPhaseScaffoldDown) v.Sink = v.Height - kSunkDepth;
}

void Offer(SoundSiteList list, const CBuilding& b) {
  const Vec3 at{b.CentreX, 0.0f, b.CentreZ};
  KeepNearestJobs(g_sites[size_t(list)], kSitesKept, at, std::sqrt(DistanceSqToCamera(at)));
}

void EndJob(ConstructionJobTable& t, ConstructionJob& job) {
  job.Block = 0;
  job.Building = 0;
  job.Kind = kJobFree;
  job.Counter = 0;
  --t.ActiveCount;
}

int32_t FreeSlot() {
  const ConstructionJobTable& t = ConstructionJobs();
  for (int32_t i = 0; i < kMaxConstructionJobs; ++i)
    if (t.Jobs[size_t(i)].Kind == kJobFree) return i;
  return -1;
}

void StepBuild(ConstructionJobTable& t, ConstructionJob& job, CBuilding& b) {
  switch (job.Phase) {
    case kPhaseScaffoldUp:
      ++job.Counter;
      Offer(kSitesScaffoldUp, b);
      if (job.Counter >= ScaffoldTicks(b)) job.Phase = kPhaseGrowing, job.Counter = 0, b.Status = kStatusPhase1;
      break;
    case kPhaseGrowing:
      ++job.Counter;
      Offer(kSitesGrowing, b);
      if (float(job.Counter) * kGrowthStep >= 1.0f)
        job.Phase = kPhaseScaffoldDown, job.Counter = ScaffoldTicks(b), b.Status = kStatusPhase2;
      break;
    default:
      --job.Counter;
      Offer(kSitesScaffoldDown, b);
      if (job.Counter >= 0) break;
      b.Status = kStatusComplete;
      if (IsAuthority())
        if (CPlayer* builder = PlayerTable().ByNumber(job.Player))
          builder->PostOpenBusiness(job.Building, job.OpenType, 1);
      EndJob(t, job);
      return;
  }
}

// The dust rises over the building's lots, centred on the building: the
// emitter takes the rectangle's corner.
void StartDemolitionDust(CBuilding& b) {
  const float width = float(b.X2 - b.X1 + 1) * kLotSize, depth = float(b.Z2 - b.Z1 + 1) * kLotSize;
  b.Visual.EffectSlot = City().visuals->StartDust(b.CentreX - width / 2, b.CentreZ - depth / 2, width, depth);
}

void StepDemolition(ConstructionJobTable& t, ConstructionJob& job, CBuilding& b) {
  switch (job.Phase) {
    case kPhaseScaffoldUp:
      ++job.Counter;
      Offer(kSitesScaffoldUp, b);
      if (job.Counter < ScaffoldTicks(b)) break;
      b.Status = kStatusPhase3;
      StartDemolitionDust(b);
      job.Phase = kPhaseSinking, job.Counter = 0;
      break;
    case kPhaseSinking:
      ++job.Counter;
      Offer(kSitesSinking, b);
      if (b.Visual.Height - float(job.Counter) * kSinkStep < kSunkDepth)
        b.Status = kStatusPhase2, job.Phase = kPhaseScaffoldDown, job.Counter = ScaffoldTicks(b);
      break;
    default:
      --job.Counter;
      Offer(kSitesScaffoldDown, b);
      if (job.Counter >= 0) break;
      if (b.Block) b.Block->RemoveBuilding(b.Id);  // also stops the dust
      b.Status = kStatusDemolished;
      EndJob(t, job);
      return;
  }
}

}  // namespace

ConstructionJobTable& ConstructionJobs() {
  static ConstructionJobTable table;
  return table;
}

bool HasFreeConstructionJobSlot() { return FreeSlot() >= 0; }

bool StartConstructionJob(int32_t block, int32_t building, int32_t businessType, int32_t player) {
  CBuilding* b = GetBuilding(building);
  const int32_t slot = FreeSlot();
  if (b == nullptr || slot < 0) return false;
  ConstructionJobTable& t = ConstructionJobs();
  t.Jobs[size_t(slot)] = {block, building, kJobBuild, kPhaseScaffoldUp, 0, businessType, player};
  ++t.ActiveCount;
  b->Status = kStatusQueued;
  ShowJobLook(t.Jobs[size_t(slot)], *b);
  return true;
}

bool StartDemolitionJob(int32_t block, int32_t building) {
  CBuilding* b = GetBuilding(building);
  const int32_t slot = FreeSlot();
  if (b == nullptr || slot < 0 || b->Status != kStatusComplete) return false;
  ConstructionJobTable& t = ConstructionJobs();
  t.Jobs[size_t(slot)] = {block, building, kJobDemolish, kPhaseScaffoldUp, 0, 0, 0};
  ++t.ActiveCount;
  b->Status = kStatusQueued;
  return true;
}

void UpdateConstructionJobs() {
  for (SoundSites& list : g_sites) list = SoundSites{};
  ConstructionJobTable& t = ConstructionJobs();
  for (ConstructionJob& job : t.Jobs) {
    if (t.ActiveCount <= 0) return;
    if (job.Kind == kJobFree) continue;
    CBuilding* b = GetBuilding(job.Building);
    if (b == nullptr || !b->InUse) {  // the building went some other way
      EndJob(t, job);
      continue;
    }
    if (job.Kind == kJobBuild) StepBuild(t, job, *b);
    else StepDemolition(t, job, *b);
    if (job.Kind != kJobFree) ShowJobLook(job, *b);
    else b->Visual.Growth = 1.0f, b->Visual.Sink = 0.0f;
  }
}

void ResetConstructionJobs() {
  ConstructionJobs() = ConstructionJobTable{};
  for (SoundSites& list : g_sites) list = SoundSites{};
}

void SetConstructionJobKey(int32_t from, int32_t to) {
  for (ConstructionJob& job : ConstructionJobs().Jobs)
    if (job.Kind == kJobBuild && job.Phase != kPhaseSinking && job.Player == from) job.Player = to;
}

const std::array<SoundSites, kSiteListCount>& ConstructionSoundSites() { return g_sites; }

bool KeepNearestJobs(SoundSites& list, int32_t max, const Vec3& position, float distance) {
  max = std::clamp(max, 0, int32_t(list.Entries.size()));
  int32_t at = 0;
  while (at < list.Count && list.Entries[size_t(at)].Distance <= distance) ++at;
  if (at >= max) return false;
  for (int32_t i = std::min(list.Count, max - 1); i > at; --i) list.Entries[size_t(i)] = list.Entries[size_t(i - 1)];
  list.Entries[size_t(at)] = {distance, position};
  list.Count = std::min(list.Count + 1, max);
  return true;
}

namespace {

void ApplyConstructionJobs(const ConstructionJobTable& saved) {
  ConstructionJobTable& t = ConstructionJobs();
  t = saved;
  for (ConstructionJob& job : t.Jobs) {
    if (job.Kind == kJobFree) continue;
    CBuilding* b = GetBuilding(job.Building);
    if (b == nullptr || !b->InUse || b->Block == nullptr || b->Block->Index != job.Block) {
      ReportErrorF(1, "A saved construction job names building %d, which is not on block %d: job dropped",
                   job.Building, job.Block);
      EndJob(t, job);
      continue;
    }
    ShowJobLook(job, *b);
  }
}

}  // namespace

void RegisterConstructionJobsChunk() {
  RegisterSaveHook(kSaveConstruction, [] { WriteRecordChunk(kChunkConstruction, ConstructionJobs()); });
  RegisterRecordChunk<ConstructionJobTable>(kChunkConstruction, kConstructionChunkSize, ApplyConstructionJobs);
}
