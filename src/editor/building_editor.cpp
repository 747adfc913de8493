#include "editor/building_editor.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "editor/library_compiler.h"
#include "platform/paths.h"

namespace {

constexpr float kControlPickRadius = 0.5f;
// The plan's colours are kept as Windows colour values (red in the low
// byte, 0x00BBGGRR); the shapes carry 0xRRGGBB.
constexpr uint32_t FromWindowsColour(uint32_t bgr) {
  return (bgr & 0xFF) << 16 | (bgr & 0xFF00) | (bgr >> 16 & 0xFF);
}
constexpr uint32_t kGridColour = FromWindowsColour(0xFF6666);          // light blue
constexpr uint32_t kPreviousLoopColour = FromWindowsColour(0x000099);  // red
constexpr uint32_t kCurrentLoopColour = FromWindowsColour(0xCCCCCC);
constexpr uint32_t kHoverColour = FromWindowsColour(0x00FF00);
constexpr uint32_t kSelectedControlColour = FromWindowsColour(0xFFFFFF);
constexpr uint32_t kControlColour = FromWindowsColour(0xCCFF00);      // aqua green
constexpr uint32_t kIdleControlColour = FromWindowsColour(0x669900);  // sea green

bool ValidLoop(const BuildingEditor& e, int n) { return n >= 0 && n < e.design->loopCount; }

void Changed(BuildingEditor& e) { e.previewDirty = true; }

// The loop list's choice: the control loop in control-point mode.
int SelectedLoop(const BuildingEditor& e) { return e.controlMode ? e.controlLoop : e.currentLoop; }

void StartLoopHighlight(BuildingEditor& e) {
  e.highlightLoop = ValidLoop(e, SelectedLoop(e)) ? SelectedLoop(e) : -1;
  e.highlightEnd = e.clockMs + kLoopHighlightMs;
}

void MousePlan(const BuildingEditor& e, float px, float py, float& x, float& z) { e.plan.ToPlan(px, py, x, z); }

float Snapped(const BuildingEditor& e, float v) { return e.snap ? SnapToGrid(v, e.snapUnits) : v; }

std::string Format(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// A number typed into a field: the whole text must be one number.
bool ParseFloat(std::string_view text, float& out) {
  std::string s(text);
  char* end = nullptr;
  const float v = std::strtof(s.c_str(), &end);
  if (end == s.c_str() || !std::isfinite(v)) return false;
  while (*end == ' ') ++end;
  if (*end) return false;
  out = v;
  return true;
}

bool ParseInt(std::string_view text, int32_t& out) {
  std::string s(text);
  char* end = nullptr;
  const long v = std::strtol(s.c_str(), &end, 10);
  if (end == s.c_str()) return false;
  while (*end == ' ') ++end;
  if (*end || v < -1000000 || v > 1000000) return false;
  out = int32_t(v);
  return true;
}

void ClearSelection(DesignLoop& loop) {
  for (int i = 0; i < kMaxLoopPoints; ++i) loop.points[i].selected = 0;
}

// ---- Plan view pieces ----------------------------------------------------------

void ControlLeftDown(BuildingEditor& e, float px, float py) {
  float x, z;
  MousePlan(e, px, py, x, z);
  int found = -1;
  float best = 100.0f;
  for (int i = 0; i < kDesignControlPoints; ++i) {
    const ControlPoint& c = e.design->controls[i];
    if (!c.inUse || c.loop != e.controlLoop) continue;
    const float d = std::sqrt((c.x - x) * (c.x - x) + (c.z - z) * (c.z - z));
    if (d < best) {
      best = d;
      found = i;
    }
  }
  if (best > kControlPickRadius) found = -1;
  if (found != e.selectedControl || found < 0) {
    e.selectedControl = found;
    return;
  }
  ControlPointDrag& d = e.controlDrag;
  d.running = true;
  d.startPixelX = d.lastPixelX = px;
  d.startPixelY = d.lastPixelY = py;
  d.startY = e.design->controls[found].y;
  d.axes = e.keyX ? DragAxes::kX : e.keyY ? DragAxes::kY : e.keyZ ? DragAxes::kZ : DragAxes::kXZ;
}

void PaintPiece(BuildingEditor& e) {
  DesignLoop* loop = CurrentLoop(e);
  if (!loop || loop->hoverEdge < 0 || loop->hoverEdge >= loop->pointCount) return;
  const int piece = loop->hoverPiece;
  if (piece < 0 || piece >= kMaxEdgePieces) return;
  LoopPoint& p = loop->points[loop->hoverEdge];
  p.facade[piece] = uint8_t(std::clamp(e.facadeCode, 0, 15));
  p.group[piece] = uint8_t(std::clamp(e.textureGroup, 0, 4));
  Changed(e);
}

void PointLeftDown(BuildingEditor& e, float px, float py) {
  DesignLoop* loop = CurrentLoop(e);
  if (!loop) return;
  float x, z;
  MousePlan(e, px, py, x, z);
  loop->dragging = 1;
  loop->drag[0] = loop->drag[2] = x;
  loop->drag[1] = loop->drag[3] = z;
  const int n = loop->pointCount;
  const int hp = loop->hoverPoint;
  const int he = loop->hoverEdge;
  if (hp < 0 || hp >= n || loop->points[hp].selected) {
    if (he >= 0 && he < n) {
      LoopPoint& a = loop->points[he];
      LoopPoint& b = loop->points[(he + 1) % n];
      if (!(a.selected && b.selected)) {
        ClearSelection(*loop);
        a.selected = b.selected = 1;
      }
    }
  } else {
    ClearSelection(*loop);
    loop->points[hp].selected = 1;
  }
  for (int i = 0; i < n; ++i) {
    LoopPoint& p = loop->points[i];
    p.selectedAtDrag = p.selected;
    p.dragX = p.x;
    p.dragZ = p.z;
  }
}

void ControlMouseMove(BuildingEditor& e, float px, float py) {
  ControlPointDrag& d = e.controlDrag;
  const int s = e.selectedControl;
  if (!d.running || s < 0 || s >= kDesignControlPoints) return;
  if (px == d.lastPixelX && py == d.lastPixelY) return;
  d.lastPixelX = px;
  d.lastPixelY = py;
  ControlPoint& c = e.design->controls[s];
  float x, z;
  MousePlan(e, px, py, x, z);
  x = Snapped(e, x);
  z = Snapped(e, z);
  switch (d.axes) {
    case DragAxes::kXZ:
      c.x = x;
      c.z = z;
      break;
    case DragAxes::kX: c.x = x; break;
    case DragAxes::kZ: c.z = z; break;
    case DragAxes::kY: {
      // Measured from where the drag began (the view's origin is no part of
      // a distance).
      const float b1 = (d.startPixelY - py) / e.plan.scaleY;
      e.dragYText[0] = Format("b1: %0.4f", b1);
      const float b2 = Snapped(e, b1);
      e.dragYText[1] = Format("b2: %0.4f", b2);
      c.y = b2 + d.startY;
      break;
    }
  }
  Changed(e);
}

void PointMouseMove(BuildingEditor& e, float px, float py) {
  DesignLoop* loop = CurrentLoop(e);
  if (!loop) return;
  float x, z;
  MousePlan(e, px, py, x, z);
  if (!loop->dragging) {
    HoverLoop(*loop, x, z, e.editTextures);
    return;
  }
  loop->drag[2] = x;
  loop->drag[3] = z;
  const float dx = x - loop->drag[0], dz = z - loop->drag[1];
  for (int i = 0; i < loop->pointCount; ++i) {
    LoopPoint& p = loop->points[i];
    if (!p.selectedAtDrag) continue;
    p.x = Snapped(e, p.dragX + dx);
    p.z = Snapped(e, p.dragZ + dz);
  }
  Changed(e);
}

void AddSquare(std::vector<PlanShape>& out, const PlanTransform& t, float x, float z, float half, uint32_t colour,
               bool filled) {
  int32_t x0, y0, x1, y1;
  t.ToPixels(x - half, z - half, x0, y0);
  t.ToPixels(x + half, z + half, x1, y1);
  out.push_back({filled ? PlanShape::kFilledSquare : PlanShape::kSquare, float(x0), float(y0), float(x1), float(y1),
                 colour});
}

void AddLine(std::vector<PlanShape>& out, const PlanTransform& t, float xa, float za, float xb, float zb,
             uint32_t colour) {
  int32_t x0, y0, x1, y1;
  t.ToPixels(xa, za, x0, y0);
  t.ToPixels(xb, zb, x1, y1);
  out.push_back({PlanShape::kLine, float(x0), float(y0), float(x1), float(y1), colour});
}

void AddLoopShapes(std::vector<PlanShape>& out, const BuildingEditor& e, const DesignLoop& loop, int loopIndex,
                   uint32_t colour, bool current) {
  const PlanTransform& t = e.plan;
  const int n = loop.pointCount;
  for (int i = 0; i < n; ++i) {
    const LoopPoint& a = loop.points[i];
    const LoopPoint& b = loop.points[(i + 1) % n];
    AddLine(out, t, a.x, a.z, b.x, b.z, colour);
    const int pieces = EdgePieceCount(loop, i);
    for (int k = 1; k < pieces; ++k) {
      float x, z;
      EdgePiecePoint(loop, i, k, x, z);
      AddSquare(out, t, x, z, 0.05f, colour, false);
    }
  }
  for (int i = 0; i < n; ++i) AddSquare(out, t, loop.points[i].x, loop.points[i].z, 0.1f, colour, false);
  for (int i = 0; i < kDesignControlPoints; ++i) {
    const ControlPoint& c = e.design->controls[i];
    if (!c.inUse || c.loop != loopIndex) continue;
    if (e.controlMode)
      AddSquare(out, t, c.x, c.z, 0.1f, i == e.selectedControl ? kSelectedControlColour : kControlColour, false);
    else if (current)
      AddSquare(out, t, c.x, c.z, 0.1f, kIdleControlColour, false);
  }
  if (!current) return;
  if (loop.hoverEdge >= 0 && loop.hoverEdge < n && !e.editTextures) {
    const LoopPoint& a = loop.points[loop.hoverEdge];
    const LoopPoint& b = loop.points[(loop.hoverEdge + 1) % n];
    AddLine(out, t, a.x, a.z, b.x, b.z, kHoverColour);
  }
  if (loop.hoverPoint >= 0 && loop.hoverPoint < n)
    AddSquare(out, t, loop.points[loop.hoverPoint].x, loop.points[loop.hoverPoint].z, 0.1f, kHoverColour, true);
  if (e.editTextures && loop.hoverEdge >= 0 && loop.hoverEdge < n && loop.hoverPiece >= 0) {
    float x0, z0, x1, z1;
    EdgePiecePoint(loop, loop.hoverEdge, loop.hoverPiece, x0, z0);
    EdgePiecePoint(loop, loop.hoverEdge, loop.hoverPiece + 1, x1, z1);
    AddLine(out, t, x0, z0, x1, z1, kHoverColour);
  }
}

}  // namespace

DesignProperties PropertiesOf(const BuildingDesign& d) {
  return {d.person, d.prestige, d.buildingType, d.baseType, d.floors};
}

void ResetBuildingEditor(BuildingEditor& e) {
  BuildingEditor fresh;
  e = std::move(fresh);
  NewBuildingDesign(*e.design);
}

DesignLoop* CurrentLoop(BuildingEditor& e) {
  return ValidLoop(e, e.currentLoop) ? &e.design->loops[e.currentLoop] : nullptr;
}

DesignLoop* PreviousLoop(BuildingEditor& e) {
  return ValidLoop(e, e.previousLoop) ? &e.design->loops[e.previousLoop] : nullptr;
}

// ---- Plan view --------------------------------------------------------------------

void PlanKey(BuildingEditor& e, char key, bool down) {
  switch (key) {
    case 'X': case 'x': e.keyX = down; break;
    case 'Y': case 'y': e.keyY = down; break;
    case 'Z': case 'z': e.keyZ = down; break;
    default: break;
  }
}

void PlanLeftDown(BuildingEditor& e, float px, float py) {
  if (e.controlMode)
    ControlLeftDown(e, px, py);
  else if (e.editTextures)
    PaintPiece(e);
  else
    PointLeftDown(e, px, py);
}

void PlanLeftUp(BuildingEditor& e) {
  e.controlDrag.running = false;
  if (e.editTextures) return;
  if (DesignLoop* loop = CurrentLoop(e)) loop->dragging = 0;
}

void PlanRightDown(BuildingEditor& e, float px, float py) {
  float x, z;
  MousePlan(e, px, py, x, z);
  if (e.controlMode) {
    const int placed = PlaceControlPoint(*e.design, e.controlLoop, x, z);
    if (placed >= 0) e.selectedControl = placed;
    Changed(e);
    return;
  }
  if (e.editTextures) return;
  DesignLoop* loop = CurrentLoop(e);
  if (!loop) return;
  if (loop->hoverPoint >= 0 && DeleteLoopPoint(*loop, loop->hoverPoint)) loop->hoverPoint = -1;
  if (loop->hoverEdge >= 0 && loop->hoverEdge < loop->pointCount &&
      InsertLoopPoint(*loop, loop->hoverEdge, x, z)) {
    loop->hoverPoint = loop->hoverEdge + 1;
    loop->hoverEdge = -1;
  }
  Changed(e);
}

void PlanMouseMove(BuildingEditor& e, float px, float py) {
  if (e.controlMode)
    ControlMouseMove(e, px, py);
  else
    PointMouseMove(e, px, py);
}

std::vector<PlanShape> PlanViewShapes(BuildingEditor& e, int32_t width, int32_t height) {
  std::vector<PlanShape> out;
  e.plan.Fit(width, height);
  ++e.planRedraws;
  const PlanTransform& t = e.plan;
  const float cell = t.scaleX;
  const float span = float(t.columns) * cell;
  for (int i = 0; i <= t.columns; ++i) {
    const float x = t.originX + float(i) * cell;
    out.push_back({PlanShape::kLine, x, t.originY, x, t.originY + float(t.rows) * cell, kGridColour});
  }
  for (int j = 0; j <= t.rows; ++j) {
    const float y = t.originY + float(j) * cell;
    out.push_back({PlanShape::kLine, t.originX, y, t.originX + span, y, kGridColour});
  }
  const int shownCurrent = e.controlMode ? -1 : e.currentLoop;
  if (ValidLoop(e, e.previousLoop) && e.previousLoop != shownCurrent)
    AddLoopShapes(out, e, e.design->loops[e.previousLoop], e.previousLoop, kPreviousLoopColour, false);
  if (ValidLoop(e, shownCurrent))
    AddLoopShapes(out, e, e.design->loops[shownCurrent], shownCurrent, kCurrentLoopColour, true);
  return out;
}

// ---- Options dialog ------------------------------------------------------------------

std::vector<std::string> LoopListRows(const BuildingEditor& e) {
  std::vector<std::string> rows{"Base"};
  char text[160];
  for (int i = 0; i < e.design->loopCount; ++i) {
    const DesignLoop& loop = e.design->loops[i];
    if (e.variationMode) {
      std::string row = Format("Loop %02d : ", i);
      for (int s = 0; s < std::min<int>(loop.successorCount, kMaxDesignLoops); ++s)
        row += std::to_string(loop.successors[s]) + " ";
      rows.push_back(row);
    } else {
      std::snprintf(text, sizeof text, "Loop %02d : %2d points", i, loop.pointCount);
      rows.push_back(text);
    }
  }
  return rows;
}

int LoopListRow(const BuildingEditor& e) {
  const int loop = e.controlMode ? e.controlLoop : e.currentLoop;
  return ValidLoop(e, loop) ? loop + 1 : 0;
}

namespace {
// A loop chosen in control-point mode becomes the control loop, drawn as
// the previous loop, with no current loop (as on entering the mode).
void SelectAfterLoopChange(BuildingEditor& e, int loop) {
  const int chosen = ValidLoop(e, loop) ? loop : -1;
  e.selectedControl = -1;
  if (e.controlMode) {
    e.controlLoop = e.previousLoop = chosen;
    e.currentLoop = -1;
  } else {
    e.previousLoop = e.currentLoop;
    e.currentLoop = chosen;
  }
  StartLoopHighlight(e);
  Changed(e);
}
}  // namespace

int HighlightedLoop(BuildingEditor& e) {
  if (e.highlightLoop >= 0 && int32_t(e.clockMs - e.highlightEnd) >= 0) e.highlightLoop = -1;
  if (!ValidLoop(e, e.highlightLoop)) e.highlightLoop = -1;
  return e.highlightLoop;
}

void ChooseLoopRow(BuildingEditor& e, int row) { SelectAfterLoopChange(e, row - 1); }

void AddLoop(BuildingEditor& e) {
  const int row = InsertDesignLoop(*e.design, SelectedLoop(e));
  if (row >= 0) SelectAfterLoopChange(e, row - 1);
}

void CopyLoop(BuildingEditor& e) {
  const int selected = SelectedLoop(e);
  if (!ValidLoop(e, selected)) return;
  const int at = CopyDesignLoop(*e.design, selected);
  if (at >= 0) SelectAfterLoopChange(e, at + 1);
}

void DeleteLoop(BuildingEditor& e) {
  const int selected = SelectedLoop(e);
  if (!ValidLoop(e, selected)) return;
  const int next = DeleteDesignLoop(*e.design, selected);
  // The deleted loop is drawn no more.
  e.currentLoop = e.previousLoop = -1;
  SelectAfterLoopChange(e, next);
}

std::string LoopFieldText(const BuildingEditor& e, LoopField f) {
  if (!ValidLoop(e, e.currentLoop)) return "";
  const DesignLoop& l = e.design->loops[e.currentLoop];
  switch (f) {
    case LoopField::kHeight: return Format("%.2f", l.height);
    case LoopField::kURepeat: return std::to_string(l.uRepeat);
    case LoopField::kRepeatMax: return std::to_string(l.repeatMax);
    case LoopField::kOffset1: return Format("%.2f", l.offset1);
    case LoopField::kOffset2: return Format("%.2f", l.offset2);
  }
  return "";
}

void EnterLoopField(BuildingEditor& e, LoopField f, std::string_view text) {
  DesignLoop* l = CurrentLoop(e);
  if (!l) return;
  float v = 0;
  int32_t n = 0;
  switch (f) {
    case LoopField::kHeight:
      if (ParseFloat(text, v) && v >= 0.0f && v <= 100.0f) l->height = v;
      break;
    case LoopField::kURepeat:
      if (ParseInt(text, n) && n >= 0 && n <= 255) l->uRepeat = n;
      break;
    case LoopField::kRepeatMax:
      if (ParseInt(text, n) && n >= 0 && n <= 255) l->repeatMax = n;
      break;
    case LoopField::kOffset1:
      if (ParseFloat(text, v) && std::fabs(v) <= 100.0f) l->offset1 = v;
      break;
    case LoopField::kOffset2:
      if (ParseFloat(text, v) && std::fabs(v) <= 100.0f) l->offset2 = v;
      break;
  }
  Changed(e);
}

void StepLoopField(BuildingEditor& e, LoopField f, int direction) {
  DesignLoop* l = CurrentLoop(e);
  if (!l || direction == 0) return;
  const float step = direction > 0 ? 0.1f : -0.1f;
  const int istep = direction > 0 ? 1 : -1;
  switch (f) {
    case LoopField::kHeight: l->height = std::max(0.0f, l->height + step); break;
    case LoopField::kURepeat: l->uRepeat = std::clamp(l->uRepeat + istep, 0, 255); break;
    case LoopField::kRepeatMax: l->repeatMax = std::clamp(l->repeatMax + istep, 0, 255); break;
    case LoopField::kOffset1: l->offset1 += step; break;
    case LoopField::kOffset2: l->offset2 += step; break;
  }
  Changed(e);
}

void SetRoofStyles(BuildingEditor& e, const std::vector<uint8_t>& selected) {
  DesignLoop* l = CurrentLoop(e);
  if (!l) return;
  int32_t mask = 0;
  for (size_t i = 0; i < selected.size() && i < 9; ++i)
    if (selected[i]) mask |= 1 << i;
  l->roofMask = mask;
  Changed(e);
}

void SetRailing(BuildingEditor& e, bool railing) {
  DesignLoop* l = CurrentLoop(e);
  if (!l) return;
  l->flags = int8_t(railing ? (l->flags | kLoopRailing) : (l->flags & ~kLoopRailing));
  StartLoopHighlight(e);
  Changed(e);
}

void EnterSuccessors(BuildingEditor& e, std::string_view text) {
  if (DesignLoop* l = CurrentLoop(e)) ParseSuccessors(*l, text);
}

std::string SuccessorText(const BuildingEditor& e) {
  if (!ValidLoop(e, e.currentLoop)) return "";
  const DesignLoop& l = e.design->loops[e.currentLoop];
  std::string text;
  for (int s = 0; s < std::min<int>(l.successorCount, kMaxDesignLoops); ++s)
    text += std::to_string(l.successors[s]) + " ";
  return text;
}

std::string EnterTextureSet(BuildingEditor& e, std::string_view text) {
  int32_t v = 0;
  if (!ParseInt(text, v)) return std::to_string(e.design->textureSet);
  if (v < 0) return "0";
  if (v > 44) return "44";
  e.design->textureSet = v;
  Changed(e);
  return std::to_string(v);
}

std::string StepTextureSet(BuildingEditor& e, int direction) {
  return EnterTextureSet(e, std::to_string(e.design->textureSet + (direction > 0 ? 1 : -1)));
}

void SetMaterials(BuildingEditor& e, int group, const std::vector<uint8_t>& selected) {
  if (group < 0 || group > 4) return;
  int32_t mask = 0;
  for (size_t i = 0; i < selected.size() && i < 5; ++i)
    if (selected[i]) mask |= 1 << i;
  e.design->groupMasks[group] = mask;
  Changed(e);
}

void ChooseVariation(BuildingEditor& e, uint32_t seed) {
  e.variationMode = true;
  PickRandomLoopStack(*e.design, seed);
  StartLoopHighlight(e);
  Changed(e);
}

void ChooseNormalOrder(BuildingEditor& e) {
  e.variationMode = false;
  for (int i = 0; i < kMaxDesignLoops; ++i) e.design->loopOrder[i] = i;
  StartLoopHighlight(e);
  Changed(e);
}

std::string LoopOrderText(const BuildingEditor& e) {
  std::string text;
  for (int i = 0; i < kMaxDesignLoops; ++i) {
    const int v = e.design->loopOrder[i];
    if (v == -1) break;
    if (v < e.design->loopCount) text += std::to_string(v) + " ";
  }
  return text;
}

void EnterLoopOrder(BuildingEditor& e, std::string_view text) {
  ParseLoopOrder(*e.design, text.substr(0, 2000));
  Changed(e);
}

bool SetControlMode(BuildingEditor& e, bool on) {
  if (on == e.controlMode) return true;
  if (on) {
    if (!ValidLoop(e, e.currentLoop)) return false;
    e.controlMode = true;
    e.controlLoop = e.currentLoop;
    e.previousLoop = e.currentLoop;
    e.currentLoop = -1;
  } else {
    e.controlMode = false;
    e.currentLoop = e.controlLoop;
  }
  e.selectedControl = -1;
  e.controlDrag.running = false;
  Changed(e);
  return true;
}

namespace {
ControlPoint* SelectedControl(const BuildingEditor& e) {
  if (!e.controlMode || e.selectedControl < 0 || e.selectedControl >= kDesignControlPoints) return nullptr;
  ControlPoint& c = e.design->controls[e.selectedControl];
  return c.inUse ? &c : nullptr;
}
template <typename Point>  // ControlPoint, const or not
auto* ControlValue(Point& c, ControlField f) {
  switch (f) {
    case ControlField::kX: return &c.x;
    case ControlField::kY: return &c.y;
    case ControlField::kZ: return &c.z;
    case ControlField::kYAngle: return &c.yAngle;
    case ControlField::kXScale: return &c.scaleX;
    case ControlField::kYScale: return &c.scaleY;
  }
  return &c.x;
}
}  // namespace

std::string ControlFieldText(const BuildingEditor& e, ControlField f) {
  const ControlPoint* c = SelectedControl(e);
  return c ? Format("%.4f", *ControlValue(*c, f)) : "";
}

void EnterControlField(BuildingEditor& e, ControlField f, std::string_view text) {
  ControlPoint* c = SelectedControl(e);
  float v = 0;
  if (!c || !ParseFloat(text, v) || std::fabs(v) > 1000.0f) return;
  *ControlValue(*c, f) = v;
  Changed(e);
}

void SetControlType(BuildingEditor& e, int row) {
  ControlPoint* c = SelectedControl(e);
  const auto& rows = ControlPointTypes();
  if (!c || row < 0 || size_t(row) >= rows.size()) return;
  c->type = rows[size_t(row)].id;
  Changed(e);
}

void RemoveControlPoint(BuildingEditor& e) {
  ControlPoint* c = SelectedControl(e);
  if (!c) return;
  c->inUse = 0;
  e.selectedControl = -1;
  Changed(e);
}

// ---- Files ------------------------------------------------------------------------

namespace {
constexpr const char* kEditorCaption = "Civano Building Editor";
constexpr const char* kRefusedCaption = "Civano Building Editor - Not letting you save!";
}  // namespace

std::string MissingPropertiesText(const BuildingDesign& d) {
  std::string text;
  if (!d.person) text += "\nPerson (" + PersonLabels()[1] + ", " + PersonLabels()[2] + ", ...)\n";
  if (!d.buildingType) text += "\nBuilding Type (Commercial, Residential, ...)\n";
  if (!d.prestige) text += "\nPrestige (Low, Medium, High)\n";
  if (!d.floors) text += "\nFloors (1, 2, 3, 4+)\n";
  if (!d.baseType) text += "\nBase Type (Corner, Edge)\n";
  if (text.empty()) return text;
  return "These Building Property fields were not filled in:\n" + text;
}

EditorMessage LoadDesign(BuildingEditor& e, std::string_view path) {
  std::string reason;
  const bool ok = ReadBuildingDesign(*e.design, path, &reason);
  e.currentLoop = e.design->loopCount > 0 ? 0 : -1;
  e.previousLoop = -1;
  e.controlMode = false;
  e.controlLoop = -1;
  e.selectedControl = -1;
  e.controlDrag = {};
  Changed(e);
  if (!ok) {
    NewBuildingDesign(*e.design);
    e.fileName.clear();
    e.currentLoop = 0;
    return {kEditorCaption, "Could not load " + std::string(path) + ": " + reason};
  }
  e.remembered = PropertiesOf(*e.design);
  e.fileName = path;
  return {};
}

EditorMessage SaveDesign(BuildingEditor& e) {
  if (e.fileName.empty()) return {};
  if (!(PropertiesOf(*e.design) == e.remembered)) {
    e.fileName.clear();
    return {kEditorCaption,
            "Building properties have changed since last save - use 'Save As' instead because the code at the "
            "beginning of the filename should be different..."};
  }
  const std::string missing = MissingPropertiesText(*e.design);
  if (!missing.empty()) return {kRefusedCaption, missing};
  StoreBaseLoopBounds(*e.design);
  if (!WriteBuildingDesign(*e.design, e.fileName)) return {kEditorCaption, "There was an error saving"};
  return {};
}

std::string ProposedSaveAsPath(const BuildingEditor& e, std::string_view dataRoot) {
  const BuildingDesign& d = *e.design;
  if (!MissingPropertiesText(d).empty()) return "";
  if (d.person >= PersonLabels().size() || d.buildingType >= BuildingTypeLabels().size()) return "";
  BuildingDesign bounds = d;
  StoreBaseLoopBounds(bounds);
  char name[64];
  std::snprintf(name, sizeof name, "%c%d%d_%c%d_00.cb", d.baseType == 1 ? 'c' : 'e', bounds.width, bounds.depth,
                d.prestige == 1 ? 'l' : d.prestige == 2 ? 'm' : 'h', d.floors);
  std::string root(dataRoot);
  if (!root.empty() && root.back() != '/') root += '/';
  return root + "data2/BuildEditorModels/" + BuildingTypeLabels()[d.buildingType] + "/" + PersonLabels()[d.person] +
         "/" + name;
}

SaveAsResult SaveDesignAs(BuildingEditor& e, std::string_view path, bool replaceConfirmed, EditorMessage& message) {
  message = {};
  const std::string missing = MissingPropertiesText(*e.design);
  if (!missing.empty()) {
    message = {kRefusedCaption, missing};
    return SaveAsResult::kRefused;
  }
  if (path.empty()) return SaveAsResult::kRefused;
  if (!replaceConfirmed && platform::GameFileExists(path)) return SaveAsResult::kNeedsConfirmation;
  StoreBaseLoopBounds(*e.design);
  if (!WriteBuildingDesign(*e.design, path)) {
    message = {kEditorCaption, "There was an error saving"};
    return SaveAsResult::kRefused;
  }
  e.remembered = PropertiesOf(*e.design);
  e.fileName = path;
  return SaveAsResult::kSaved;
}

// ---- Preview -------------------------------------------------------------------------

bool RebuildPreviewBuilding(const BuildingEditor& e, BuildingDescription& description) {
  description = BuildingDescription{};
  if (e.design->loopCount <= 0) return false;
  // The design goes through the library compiler, so the preview is what
  // the game would build from it; the editor's own record is left alone.
  auto copy = std::make_unique<BuildingDesign>(*e.design);
  for (ControlPoint& c : copy->controls) {
    if (!c.inUse) continue;
    if (c.type == -1) c.type = 0x2000004;
    else if (c.type >= 51 && c.type <= 89) c.type += 0x2000000;
  }
  BuildingLibrary library;
  if (AddBuildingToLibrary(library, *copy, nullptr) < 0) return false;
  const int floors = std::clamp<int>(copy->floors, 1, 4);
  return InstantiateLibraryBuilding(&library, 0, description, floors);
}

std::string LoopBoundsText(const BuildingDesign& design) {
  if (design.loopCount <= 0) return "0x0";
  auto bounds = std::make_unique<BuildingDesign>(design);
  ComputeLoopBounds(*bounds);
  return std::to_string(bounds->width) + "x" + std::to_string(bounds->depth);
}

PreviewCamera PreviewKey(PreviewState& s, int key) {
  switch (key) {
    case 'F': case 'f': return PreviewCamera::kFree;
    case 'S': case 's': s.specular = !s.specular; return PreviewCamera::kUnchanged;
    case 'W': case 'w': s.wireframe = !s.wireframe; return PreviewCamera::kUnchanged;
    case 'D': case 'd': return PreviewCamera::kEditorBlock;
    case '2': s.display = PreviewDisplay::kSpecial; return PreviewCamera::kUnchanged;
    case '6': s.display = PreviewDisplay::kTestTriangle; return PreviewCamera::kUnchanged;
    case '7': s.display = PreviewDisplay::kTestPattern; return PreviewCamera::kUnchanged;
    case kPreviewKeyF8: s.display = PreviewDisplay::kNone; return PreviewCamera::kFree;
    case kPreviewKeyF7: s.display = PreviewDisplay::kDesign; return PreviewCamera::kEditorBlock;
    case kPreviewKeyEscape: s.quit = true; return PreviewCamera::kUnchanged;
    default: return PreviewCamera::kUnchanged;
  }
}

std::vector<PlacedText> LayOutPreviewStatistics(const std::vector<std::string>& topLeft,
                                                const std::vector<std::string>& bottomRight,
                                                const std::vector<std::string>& bottomRow,
                                                const std::function<TextExtent(const std::string&)>& measure) {
  constexpr float kLeft = 34.0f, kRight = 638.0f, kBottom = 478.0f, kTop = 2.0f, kGap = 12.0f;
  float line = 1.0f;
  for (const auto* lines : {&topLeft, &bottomRight, &bottomRow})
    for (const std::string& text : *lines)
      if (!text.empty()) line = std::max(line, measure(text).height);
  std::vector<PlacedText> out;
  // The bottom row, flowing left to right and upward.
  float x = kLeft, rowTop = kBottom - line;
  for (const std::string& text : bottomRow) {
    const float width = measure(text).width;
    if (x > kLeft && x + width > kRight) {
      x = kLeft;
      rowTop -= line;
    }
    out.push_back({text, x, rowTop});
    x += width + kGap;
  }
  // The block above the row, at the usual column unless that cuts it off.
  float width = 0, height = 0;
  for (const std::string& text : bottomRight) {
    width = std::max(width, text.empty() ? 0.0f : measure(text).width);
    height += text.empty() ? line / 2 : line;
  }
  x = std::max(kLeft, std::min(470.0f, kRight - width));
  float y = rowTop - 2.0f - height;
  for (const std::string& text : bottomRight) {
    if (!text.empty()) out.push_back({text, x, y});
    y += text.empty() ? line / 2 : line;
  }
  y = kTop;
  for (const std::string& text : topLeft) {
    if (!text.empty()) out.push_back({text, kLeft, y});
    y += text.empty() ? line / 2 : line;
  }
  return out;
}
