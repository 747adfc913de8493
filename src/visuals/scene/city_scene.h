#pragma once
// The city drawn plainly, until the full scene passes are built: the land
// round the city, the blocks' paving, the roads (their textures follow the
// decade), the buildings as boxes with walls, roofs and their night windows,
// and the plan view's board. Models are built from the city's records and
// rebuilt when the set of buildings changes.
#include <cstdint>

class CRenderer;

// The presentation's own textures (slots; -1 when a file is missing).
struct PresentationTextures {
  int32_t grass = -1, pavement = -1, facade = -1, roof = -1, nightWindows = -1;
  int32_t roadA = -1, roadB = -1, cloud1 = -1, cloud2 = -1, sun = -1, moon = -1, star = -1;
  int32_t board = -1, lamp = -1, glint = -1, smoke = -1;
  int32_t sea = -1, harbour = -1, cloudLayer = -1, cloudLayer2 = -1;
};
const PresentationTextures& PresentationTextureSlots();

// Start-up, before the texture pages are built: loads the textures above,
// names the night-window texture and hands the sky its textures.
void LoadPresentationTextures();

// Draw mode 0's scene: sky, land, blocks, roads and buildings.
void DrawBasicCityScene(CRenderer& renderer);
// Draw mode 3's board and the city on it, seen from above.
void DrawPlanViewScene(CRenderer& renderer);
// The pieces the scene passes draw one by one (built or rebuilt first by
// RefreshBasicScene): the land, the blocks' paving and the roads; the
// plain buildings; the night windows of block k.
void RefreshBasicScene();
void DrawBasicGround(bool land);
void DrawBasicLand();
void DrawBasicBuildings();
void DrawBasicWindows(int32_t block);
// The board under the plan view.
void DrawPlanBoard();
// Forgets the built models (the model system goes away at shutdown).
void ReleaseBasicCityScene();
// Number of buildings drawn as boxes in the last build.
int32_t BasicSceneBuildingCount();
