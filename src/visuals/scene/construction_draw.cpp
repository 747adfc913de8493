#include "visuals/scene/construction_draw.h"

#include <algorithm>
#include <cstdint>

#include "city/buildings.h"
#include "city/construction_jobs.h"
#include "engine/scene/entity.h"
#include "visuals/architect/architect_assets.h"

namespace {

constexpr int32_t kLastLot = 6;
constexpr int32_t kLastFrame = 24;
constexpr float kStoreyHeight = 7.0f;

bool Drawn(const ConstructionJob& job) {
  if (job.Kind == kJobBuild) return job.Phase != kPhaseSinking;
  return job.Kind == kJobDemolish && job.Phase != kPhaseGrowing;
}

void DrawPiece(const ScaffoldPieceDraw& p, void* argument) {
  const ModelLodSet* set = ScaffoldPiece(p.shape);
  if (set == nullptr) return;
  ModelLodSet copy = *set;
  CEntity e;
  e.SetModel(&copy);
  // Placed in the city's frame; the models' z runs opposite to it.
  e.position = {p.x, p.y, p.z};
  e.rotation = {0, -p.turn, 0};
  // The piece rises as it is put up and sinks as it is taken down.
  const float s = float(p.frame + 1) / float(kLastFrame + 1);
  e.scale = {1, s, 1};
  e.flags |= kEntVisible | kEntRebuildMatrix;
  e.Draw(*static_cast<const Mat43*>(argument));
}

}  // namespace

void ScaffoldPieces(int32_t x1, int32_t z1, int32_t x2, int32_t z2, float cx, float cz, int32_t floors,
                    int32_t counter, void (*emit)(const ScaffoldPieceDraw&, void*), void* argument) {
  const int32_t w = x2 - x1 + 1, d = z2 - z1 + 1;
  const float mx = -float(w - 1) * 5.0f, mz = -float(d - 1) * 5.0f;
  const bool eX1 = x1 == 0, eZ1 = z1 == 0, eX2 = x2 == kLastLot, eZ2 = z2 == kLastLot;
  for (int32_t level = 0; level < floors; ++level) {
    const float y = kStoreyHeight * float(level) + 0.5f;
    const int32_t up = level > 0 ? 6 : 0;
    for (int32_t j = 0; j < w && j + counter >= 0; ++j) {
      const int32_t frame = std::min(kLastFrame, j + counter);
      int32_t shape;
      float turn;
      if (j == 0) shape = eX1 ? (eZ1 ? 2 : 1) : (eZ1 ? 3 : 0), turn = -90;
      else if (j == w - 1 && d >= 2) shape = eX2 ? (eZ1 ? 2 : 3) : (eZ1 ? 1 : 0), turn = 0;
      else shape = eZ1 ? 5 : 4, turn = -90;
      emit({shape + up, cx + mx + 10.0f * float(j), y, cz + mz, turn, frame}, argument);
      if (j == 0) shape = eX2 ? (eZ2 ? 2 : 1) : (eZ2 ? 3 : 0), turn = 90;
      else if (j == w - 1 && d >= 2) shape = eX1 ? (eZ2 ? 2 : 3) : (eZ2 ? 1 : 0), turn = 180;
      else shape = eZ2 ? 5 : 4, turn = 90;
      emit({shape + up, cx - mx - 10.0f * float(j), y, cz - mz, turn, frame}, argument);
    }
    for (int32_t k = 1; k < d && k + counter >= 0; ++k) {
      if (w >= 2 && k == d - 1) break;
      const int32_t frame = std::min(kLastFrame, k + counter);
      emit({(eX1 ? 5 : 4) + up, cx + mx, y, cz + mz + 10.0f * float(k), 180, frame}, argument);
      emit({(eX2 ? 5 : 4) + up, cx - mx, y, cz - mz - 10.0f * float(k), 0, frame}, argument);
    }
  }
}

void DrawConstructionJobs(const Mat43& view) {
  const ConstructionJobTable& t = ConstructionJobs();
  if (t.ActiveCount <= 0) return;
  for (const ConstructionJob& job : t.Jobs) {
    if (!Drawn(job)) continue;
    const CBuilding* b = GetBuilding(job.Building);
    if (b == nullptr || !b->InUse) continue;
    // Growth and sinking count their own ticks: the scaffolding stands whole.
    const int32_t counter = job.Phase == kPhaseGrowing || job.Phase == kPhaseSinking ? kLastFrame : job.Counter;
    ScaffoldPieces(b->X1, b->Z1, b->X2, b->Z2, b->CentreX, b->CentreZ, b->Floors, counter, DrawPiece,
                   const_cast<Mat43*>(&view));
  }
}
