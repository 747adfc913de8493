#include "panels/panel_links.h"

#include "city/blocks.h"
#include "city/city_entities.h"
#include "engine/input/camera_controller.h"
#include "engine/scene/entity.h"
#include "ui/hover_info.h"
#include "visuals/overlay/frame_draw.h"
#include "visuals/camera/game_camera.h"
#include "visuals/overlay/interface_task.h"
#include "panels/hud_panels.h"

void GoToBlock(int32_t block) {
  const CBlock* b = GetBlock(block);
  if (b == nullptr || !b->InUse) return;
  CEntity* base = BlockBaseEntities().GetEntity(block);
  SelectedObject() = base;
  if (base) HoverInfo().SetPickedObject(base, -1, false);
  if (GetScreenMode() == kScreenPlan) TogglePlanView();
  if (GetScreenMode() != kScreenCity) SetScreenMode(kScreenCity);
  if (base) SetBlockCameraTarget(base, 120.0f, 80.0f);
  else SetBlockCameraCentre(Vec3{b->CentreX, 0.0f, b->CentreZ}, 120.0f, 80.0f);
  CamSetMode(kCamBlock);
  ShowBlockPage(block);
}
