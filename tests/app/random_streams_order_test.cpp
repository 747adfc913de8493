// The program's random streams stand in one fixed order, so that machines of
// a network game seeded alike draw alike.
#include <gtest/gtest.h>

#include <vector>

#include "app/game.h"
#include "city/animated_scenery.h"
#include "city/city_map.h"
#include "city/households.h"
#include "city/timetables.h"
#include "city/traffic.h"
#include "engine/scene/animation.h"
#include "engine/render/light_ramp.h"
#include "engine/scene/particles.h"
#include "engine/core/random_stream.h"
#include "script/script.h"
#include "session/chance_cards.h"
#include "sound/game_sound.h"
#include "visuals/scene/night_windows.h"

namespace {

int PlaceInList(const CRandomStream& stream) {
  int place = 0;
  for (const CRandomStream* s = FirstRandomStream(); s; s = s->Next(), ++place)
    if (s == &stream) return place;
  return -1;
}

TEST(RandomStreamsOrder, EngineStreamsComeFirstThenTheCitysInSubsystemOrder) {
  RegisterRandomStreams();
  const std::vector<const CRandomStream*> expected = {
      &MasterRandomStream(), &ParticleRandom(),   &EntAnimRandom(),   &RendererCommonRandom(),
      &StreetLightRandom(),  &PeopleRandom(),     &HouseholdRandom(), &VehicleRandom(),
      &SceneryRandom(),      &ChanceDeck().Random(), &ScriptRandom(),    &NightWindowRandom(), &GameSound().Random()};
  int previous = -1;
  for (size_t i = 0; i < expected.size(); ++i) {
    int place = PlaceInList(*expected[i]);
    ASSERT_GT(place, previous) << "stream " << i << " out of order";
    previous = place;
  }
  // Registering again adds nothing and moves nothing.
  int count = 0;
  for (const CRandomStream* s = FirstRandomStream(); s; s = s->Next()) ++count;
  RegisterRandomStreams();
  int again = 0;
  for (const CRandomStream* s = FirstRandomStream(); s; s = s->Next()) ++again;
  EXPECT_EQ(again, count);
}

}  // namespace
