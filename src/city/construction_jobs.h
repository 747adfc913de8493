#pragma once
// Construction and demolition jobs: a building goes up or comes down over
// game time, one step per running tick, while scaffolding stands round it.
// A build (started by the construct message) puts scaffolding up, grows the
// building out of the ground, takes the scaffolding down and has its builder
// open the business asked for; a demolition (started by the demolish
// message) puts scaffolding up, raises dust, sinks the building, takes the
// scaffolding down and removes the building from its block. The nearest busy
// sites of each phase are published for the sound. The whole table is save
// chunk 2048.
#include <algorithm>
#include <array>
#include <cstdint>

#include "city/blocks.h"
#include "city/buildings.h"
#include "city/business_types.h"
#include "city/city_limits.h"
#include "engine/core/maths.h"
#include "engine/core/record_visitor.h"

inline constexpr int32_t kMaxConstructionJobs = 128;
inline constexpr int32_t kConstructionChunkType = 2048;
inline constexpr uint32_t kConstructionChunkSize = 4 + kMaxConstructionJobs * 28;
// Scaffolding ticks per floor, going up and coming down.
inline constexpr int32_t kScaffoldTicksPerFloor = 25;

enum ConstructionJobKind : int32_t { kJobFree = 0, kJobBuild = 1, kJobDemolish = 2 };
enum ConstructionPhase : int32_t {
  kPhaseScaffoldUp = 0,
  kPhaseScaffoldDown = 1,
  kPhaseSinking = 2,
  kPhaseGrowing = 3,
};

struct ConstructionJob {
  int32_t Block = 0;
  int32_t Building = 0;
  int32_t Kind = kJobFree;
  int32_t Phase = 0;
  int32_t Counter = 0;   // ticks of the phase (growth and sinking count up from 0)
  int32_t OpenType = 0;  // business type to open when a build completes
  int32_t Player = 0;    // the builder's player number; 0 none

  // 28 bytes of chunk 2048. A build never sinks, a demolition never grows.
  template <class V>
  void Visit(V& v) {
    v.I32(Block, {0, kBlockCount - 1, "job block"});
    v.I32(Building, {0, kBuildingPoolSize - 1, "job building"});
    v.I32(Kind, {kJobFree, kJobDemolish, "job kind"});
    v.I32(Phase, {kPhaseScaffoldUp, kPhaseGrowing, "job phase"});
    v.I32(Counter, {0, 0x7FFF, "job counter"});
    v.I32(OpenType, {-1, kBusinessTypeCount - 1, "job business type"});
    v.I32(Player, {0, kMaxPlayerNumber, "job player"});
    v.Require(Kind != kJobBuild || Phase != kPhaseSinking, "job phase");
    v.Require(Kind != kJobDemolish || Phase != kPhaseGrowing, "job phase");
  }
};
static_assert(sizeof(ConstructionJob) == 28);

struct ConstructionJobTable {
  int32_t ActiveCount = 0;
  std::array<ConstructionJob, kMaxConstructionJobs> Jobs{};

  // Chunk 2048: the count, then every slot. The count must be the number of
  // jobs in use, and no building may have two.
  template <class V>
  void Visit(V& v) {
    v.I32(ActiveCount, {0, kMaxConstructionJobs, "job count"});
    VisitRecord(v, Jobs);
    int32_t active = 0;
    std::array<bool, kBuildingPoolSize> seen{};
    bool twice = false;
    for (const ConstructionJob& job : Jobs) {
      if (job.Kind == kJobFree) continue;
      ++active;
      const size_t building = static_cast<size_t>(std::clamp(job.Building, 0, kBuildingPoolSize - 1));
      twice = twice || seen[building];
      seen[building] = true;
    }
    v.Require(active == ActiveCount, "job count");
    v.Require(!twice, "two jobs on one building");
  }
};

ConstructionJobTable& ConstructionJobs();

// Whether a job could start now (a slot is free).
bool HasFreeConstructionJobSlot();
// From the construct message, after the building was placed: the first free
// slot becomes a build job; the building is hidden (scale 0) with status 0.
// False, changing nothing, when all 128 slots are in use.
bool StartConstructionJob(int32_t block, int32_t building, int32_t businessType, int32_t player);
// From the demolish message: only a complete building (status 4); false,
// changing nothing, otherwise or when all slots are in use.
bool StartDemolitionJob(int32_t block, int32_t building);
// Every running tick.
void UpdateConstructionJobs();
// New game: no jobs.
void ResetConstructionJobs();
// Every build job in phase 0, 1 or 3 of player `from` passes to `to`.
void SetConstructionJobKey(int32_t from, int32_t to);

// The sound's lists of the nearest busy sites, refilled every update, in
// the order the construction sounds take them: scaffolding going up (build
// or demolition), scaffolding coming down, a building growing, one sinking.
enum SoundSiteList : int32_t { kSitesScaffoldUp, kSitesScaffoldDown, kSitesGrowing, kSitesSinking, kSiteListCount };
struct SoundSite {
  float Distance = 0;
  Vec3 Position{};
};
struct SoundSites {
  int32_t Count = 0;
  std::array<SoundSite, 2> Entries{};
};
const std::array<SoundSites, kSiteListCount>& ConstructionSoundSites();
// Inserts a site at distance d keeping the list sorted by rising distance
// (an equal distance goes after the entries already there) and at most max
// long; false when it falls off the end.
bool KeepNearestJobs(SoundSites& list, int32_t max, const Vec3& position, float distance);

// Chunk 2048, the table's record (ConstructionJobTable::Visit). Applying a
// checked table drops, with a warning, a job whose building is not in use on
// its block once the saved city is in place.
void RegisterConstructionJobsChunk();
