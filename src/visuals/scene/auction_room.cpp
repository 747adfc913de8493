#include "visuals/scene/auction_room.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "engine/core/maths.h"
#include "engine/render/fullscreen_image.h"
#include "engine/render/renderer.h"
#include "engine/scene/animation.h"
#include "engine/scene/asset_table.h"
#include "engine/scene/entity.h"
#include "engine/scene/model.h"
#include "engine/scene/texture.h"
#include "session/auction.h"
#include "session/player.h"
#include "session/session_state.h"
#include "sound/effect_sounds.h"
#include "visuals/scene/city_scene.h"
#include "visuals/scene/draw_distances.h"
#include "visuals/scene/scene_passes.h"
#include "visuals/scene/shader_table.h"

namespace {

constexpr float kFigureScale = 0.2f;
constexpr float kTokenScale = 1.0f;  // our token models are made at seat size
constexpr float kMarkerTurn = 1.6f, kMarkerSeat = 1.0f;
constexpr uint32_t kTurnMarkerColour = 0x3F7F7F7Fu, kSeatMarkerColour = 0x3F000000u;
constexpr uint32_t kConeApex = 0x50FFFFFFu, kConeRimColour = 0x05FFFFFFu;
constexpr const char* kApplause = "auction\\ambi_any_applausehigh.wav";
constexpr const char* kAuctionScreen = "gamedata\\screens\\auction.tga";
// Eye and look-at of the room camera, at the camera's x.
constexpr Vec3 kRoomEye{0, 8.0f, 4.0f};
constexpr Vec3 kRoomLook{0, 2.5f, 28.0f};
// The room is lit by its own lamps, whatever the hour outside: a warm light
// from high over the seats and a soft fill, so an auction at night reads as
// one by day.
constexpr uint32_t kRoomLampColour = 0xFFFFF0DCu, kRoomFillColour = 0xFFA09C98u;
constexpr Vec3 kRoomLampDirection{0.2f, 0.95f, 0.24f};

// The four props placed round the room and the second of the room's models.
constexpr Vec3 kPropPlaces[4] = {{14, 0, -2}, {14, 0, 22}, {-14, 0, -2}, {-14, 0, 22}};

const char* const kTokenNames[kTokenCount] = {"car",   "Cart",  "Dog",    "Rocket", "Crown",
                                              "Horse", "Kettle", "Ship", "Plane",  "Trumpet"};

struct Seat {
  CEntity figure;
  CEntity desk;
  bool used = false;
  int32_t token = 0;
  int32_t state = 0;
  CSoundDevice* voice = nullptr;  // bid or withdraw
  CSoundDevice* winVoice = nullptr;
};

struct Room {
  bool initialised = false;
  MarkerCone cone{};
  CEntity props[4 + 2];
  int32_t propCount = 0;
  CEntity auctioneer;
  bool auctioneerSet = false;
  Seat seats[kAuctionSeats];
  int32_t seatCount = 0;  // seats in the row (players in the game)
  bool open = false;
  float cameraX = 0;
};

Room& TheRoom() {
  static Room room;
  return room;
}

const Mat43& View() { return PublishedViewMatrix(); }

void Place(CEntity& e, ModelLodSet* set, const Vec3& at, float yaw, float scale) {
  e.Reset();
  e.model = nullptr;
  if (set) e.SetModel(set);
  e.position = at;
  e.rotation = {0, yaw, 0};
  e.scale = {scale, scale, scale};
  e.flags |= kEntVisible | kEntRebuildMatrix;
}

int32_t PlayerToken(int32_t slot) {
  const CPlayer* p = PlayerTable().Get(slot);
  return p ? std::abs(p->character) % kTokenCount : slot % kTokenCount;
}

void PlayRange(int32_t seat, int32_t state) {
  Seat& s = TheRoom().seats[seat];
  if (!s.figure.model) return;
  int32_t first = 0, last = 1;
  BidderFrameRange(s.token, state, &first, &last);
  EntAnimDetach(&s.figure);
  EntAnimStart(&s.figure, kAnimOnceForward, EntAnimCallback(+[](int32_t v1, int32_t v2) {
                 SetBidderAnimation(v1, v2);
               }),
               seat, kBidderAdvance);
  EntAnimSetRange(&s.figure, first, last);
}

CSoundDevice* Play(const char* sample) { return sample ? Effects().PlaySample(sample, false) : nullptr; }

void Stop(CSoundDevice*& voice) {
  if (voice) Effects().StopSample(voice);
  voice = nullptr;
}

// The quick-auction switch silences the figures.
bool Muted() { return QuickAuction(); }

void BuildCone(MarkerCone& c) {
  for (int32_t i = 0; i < kConeRim; ++i) {
    const float a = float(i) * 3.14159265f / 16.0f;
    c.points[i] = {kConeRadius * std::cos(a), 0, kConeRadius * std::sin(a)};
  }
  c.points[kConeRim] = {0, kConeHeight, 0};
  for (int32_t i = 0; i < kConeRim; ++i) {
    c.indices[3 * i] = uint16_t(kConeRim);
    c.indices[3 * i + 1] = uint16_t(i);
    c.indices[3 * i + 2] = uint16_t((i + 1) % kConeRim);
  }
}

void DrawCone(CRenderer& r, float x, float z, uint32_t apex, uint32_t rim) {
  const MarkerCone& c = TheRoom().cone;
  VertexUntextured v[kConeRim + 1];
  for (int32_t i = 0; i <= kConeRim; ++i) {
    const Vec3& p = c.points[i];
    v[i] = {x + p.x, p.y, z + p.z, i == kConeRim ? apex : rim};
  }
  r.DrawIndexedUntextured(v, c.indices, kConeRim + 1, kConeRim * 3);
}

void DrawMarker(CRenderer& r, float x, float z, float s, uint32_t colour) {
  const Vec3 quad[4] = {{x - s, 0.05f, z - s}, {x + s, 0.05f, z - s}, {x + s, 0.05f, z + s},
                        {x - s, 0.05f, z + s}};
  DrawWorldQuads(r, quad, 1, &colour);
}

// The figures stand at their seats facing the auctioneer; their models'
// frames carry the idle, bid and win movements.
void PoseFigure(Seat& s, float baseX) {
  CEntity& f = s.figure;
  f.position = {baseX, 0, kSeatZ};
  f.rotation = {0, 180, 0};
  f.flags |= kEntRebuildMatrix;
}

}  // namespace

float SeatFigureX(int32_t seats, int32_t seat) { return 1.4f * float(seats + 1) - 2.8f * float(seat + 1); }
float SeatDeskX(int32_t seats, int32_t seat) { return -SeatFigureX(seats, seat); }

const MarkerCone& AuctionMarkerCone() {
  Room& room = TheRoom();
  if (!room.initialised) BuildCone(room.cone);
  return room.cone;
}

float TurnConePulse(uint32_t tick) {
  return float(std::abs(int32_t(tick % 32u) - 15) + 15) / 31.0f;
}

const char* TokenSound(int32_t token, int32_t kind) {
  static std::string names[kTokenCount][3];
  if (token < 0 || token >= kTokenCount || kind < 0 || kind > 2) return nullptr;
  std::string& n = names[token][kind];
  if (n.empty()) {
    static const char* const kKinds[3] = {"bid", "win", "withdraw"};
    n = std::string("auction\\") + kTokenNames[token] + "_" + kKinds[kind] + ".wav";
  }
  return n.c_str();
}

void BidderFrameRange(int32_t token, int32_t state, int32_t* first, int32_t* last) {
  // Every standing token has the same three ranges; the tables keep a row
  // per token so that a figure of its own can be given its own ranges.
  static constexpr int32_t kRange[3][2] = {
      {kTokenIdleFirst, kTokenBidFirst}, {kTokenBidFirst, kTokenWinFirst}, {kTokenWinFirst, kTokenFrames}};
  static constexpr const int32_t* kIdle[kTokenCount] = {kRange[0], kRange[0], kRange[0], kRange[0], kRange[0],
                                                        kRange[0], kRange[0], kRange[0], kRange[0], kRange[0]};
  static constexpr const int32_t* kBid[kTokenCount] = {kRange[1], kRange[1], kRange[1], kRange[1], kRange[1],
                                                       kRange[1], kRange[1], kRange[1], kRange[1], kRange[1]};
  static constexpr const int32_t* kWin[kTokenCount] = {kRange[2], kRange[2], kRange[2], kRange[2], kRange[2],
                                                       kRange[2], kRange[2], kRange[2], kRange[2], kRange[2]};
  const int32_t t = std::clamp(token, 0, kTokenCount - 1);
  const int32_t* range = state == kBidderBid ? kBid[t] : state == kBidderWin ? kWin[t] : kIdle[t];
  *first = range[0];
  *last = range[1];
}

void InitAuctionRoom() {
  Room& room = TheRoom();
  BuildCone(room.cone);
  room.initialised = true;
  room.propCount = 0;
  // The room, the lectern (its place before the auctioneer), the fans.
  const int32_t shelf = ShelfSize(ModelShelf::Auction);
  for (int32_t i = 0; i < shelf && i < 2; ++i)
    Place(room.props[room.propCount++], ShelfModel(ModelShelf::Auction, i),
          i == 1 ? Vec3{2.0f, 0, kAuctioneerZ} : Vec3{0, 0, 18}, i == 1 ? 180.0f : 0.0f, 1.0f);
  for (const Vec3& at : kPropPlaces) {
    ModelLodSet* fan = ShelfModel(ModelShelf::Auction, kAuctionBlades);
    Place(room.props[room.propCount++], fan, {at.x, 17.0f, at.z}, 0, 1.0f);
  }
  room.seatCount = 0;
  room.open = false;
}

void BuildAuctionRoomFigures() {
  Room& room = TheRoom();
  if (!room.initialised) InitAuctionRoom();
  int32_t players = 0;
  for (int32_t slot = 0; slot < kAuctionSeats; ++slot) {
    const CPlayer* p = PlayerTable().Get(slot);
    if (p && p->inUse) players = slot + 1;
  }
  room.seatCount = players;
  Place(room.auctioneer, ShelfModel(ModelShelf::Characters, 0), {0, 0, kAuctioneerZ}, 180, 1.0f);
  room.auctioneerSet = room.auctioneer.model != nullptr;
  for (int32_t i = 0; i < kAuctionSeats; ++i) {
    Seat& s = room.seats[i];
    EntAnimDetach(&s.figure);
    s = Seat{};
    const CPlayer* p = PlayerTable().Get(i);
    s.used = i < players && p && p->inUse;
    if (!s.used) continue;
    s.token = PlayerToken(i);
    Place(s.figure, ShelfModel(ModelShelf::Characters, TokenStanding(s.token)), {SeatFigureX(players, i), 0, kSeatZ},
          180, kTokenScale);
    Place(s.desk, ShelfModel(ModelShelf::Auction, kAuctionChair), {SeatDeskX(players, i), 0, kSeatZ + 2}, 180, 1.0f);
    SetBidderAnimation(i, kBidderIdle);
    SetBidderAnimation(i, kBidderAdvance);
  }
  for (int32_t i = 2; i < room.propCount; ++i)
    if (room.props[i].model) EntAnimStart(&room.props[i], kAnimSpin, nullptr, 0, 0);
  const CAuction* a = CurrentAuction();
  room.cameraX = a && a->turn >= 0 && a->turn < players ? SeatFigureX(players, a->turn) : 0;
  room.open = true;
}

void CloseAuctionRoomFigures() {
  Room& room = TheRoom();
  for (int32_t i = 0; i < kAuctionSeats; ++i) {
    Seat& s = room.seats[i];
    SetBidderAnimation(i, kBidderStopped);
    EntAnimDetach(&s.figure);
    s.voice = s.winVoice = nullptr;  // the ambient stop takes them
  }
  for (int32_t i = 0; i < room.propCount; ++i) EntAnimDetach(&room.props[i]);
  room.open = false;
}

void SetBidderAnimation(int32_t seat, int32_t state) {
  if (seat < 0 || seat >= kAuctionSeats) return;
  Seat& s = TheRoom().seats[seat];
  if (state != kBidderAdvance) {
    s.state = state;
    return;
  }
  switch (s.state) {
    case kBidderIdle:
      PlayRange(seat, kBidderIdle);
      break;
    case kBidderBid:
      PlayRange(seat, kBidderBid);
      Stop(s.voice);
      if (!Muted()) s.voice = Play(TokenSound(s.token, 0));
      s.state = kBidderIdle;
      break;
    case kBidderCheer1:
      PlayRange(seat, kBidderIdle);
      s.state = kBidderCheer2;
      break;
    case kBidderCheer2:
      PlayRange(seat, kBidderIdle);
      s.state = kBidderWin;
      break;
    case kBidderWin:
      PlayRange(seat, kBidderWin);
      s.winVoice = Play(TokenSound(s.token, 1));
      Play(kApplause);
      s.state = kBidderIdle;
      break;
    default:
      break;
  }
}

int32_t BidderAnimationState(int32_t seat) {
  return seat >= 0 && seat < kAuctionSeats ? TheRoom().seats[seat].state : 0;
}

int32_t AuctionFigureCount() {
  int32_t n = 0;
  for (const Seat& s : TheRoom().seats) n += s.used ? 1 : 0;
  return n;
}

const CEntity* AuctionFigure(int32_t seat) {
  if (seat < 0 || seat >= kAuctionSeats || !TheRoom().seats[seat].used) return nullptr;
  return &TheRoom().seats[seat].figure;
}

// A bid: the figure plays its bid (the voice restarts on the next advance).
void OnAuctionBid(int32_t player) {
  if (player < 0 || player >= kAuctionSeats || !TheRoom().seats[player].used) return;
  SetBidderAnimation(player, kBidderBid);
  EntAnimDetach(&TheRoom().seats[player].figure);
  SetBidderAnimation(player, kBidderAdvance);
}

void OnAuctionPullOut(int32_t player) {
  if (player < 0 || player >= kAuctionSeats) return;
  Seat& s = TheRoom().seats[player];
  if (!s.used) return;
  Stop(s.voice);
  if (!Muted()) s.voice = Play(TokenSound(s.token, 2));
}

void OnAuctionWinner(int32_t player) {
  if (player < 0 || player >= kAuctionSeats || !TheRoom().seats[player].used) return;
  SetBidderAnimation(player, kBidderCheer1);
}

void StepAuctionRoomCamera() {
  Room& room = TheRoom();
  const CAuction* a = CurrentAuction();
  if (!a || room.seatCount <= 0) return;
  const float target = a->turn >= 0 && a->turn < room.seatCount ? SeatFigureX(room.seatCount, a->turn) : 0;
  room.cameraX += (target - room.cameraX) * 0.5f;
}

float AuctionCameraX() { return TheRoom().cameraX; }

void DrawAuctionBidderMarkers(CRenderer& r) {
  Room& room = TheRoom();
  const CAuction* a = CurrentAuction();
  r.SetShader(kShaderModulate);
  r.DisableLighting();
  if (a && a->turn >= 0) DrawMarker(r, room.cameraX, kSeatZ, kMarkerTurn, kTurnMarkerColour);
  for (const Seat& s : room.seats)
    if (s.used) DrawMarker(r, s.figure.position.x, kSeatZ, kMarkerSeat, kSeatMarkerColour);
  r.EnableLighting();
}

void DrawAuctionBidderHalos(CRenderer& r) {
  Room& room = TheRoom();
  const CAuction* a = CurrentAuction();
  if (!a || a->noSale) return;
  r.SetShader(kShaderAdditive);
  r.DisableLighting();
  const float f = TurnConePulse(LogicTick());
  for (int32_t i = 0; i < kAuctionSeats; ++i) {
    const Seat& s = room.seats[i];
    if (!s.used || !a->rows[i].stillIn || i == a->seller) continue;
    if (i == a->turn)
      DrawCone(r, room.cameraX, kSeatZ, ScaleArgb(0xFFFFFFFFu, 1.0f, f), ScaleArgb(kConeRimColour, 1.0f, f));
    else
      DrawCone(r, s.figure.position.x, kSeatZ, kConeApex, kConeRimColour);
  }
  r.EnableLighting();
  r.SetShader(kShaderModulate);
}

void DrawAuctionRoom(CRenderer& r, bool hardware) {
  Room& room = TheRoom();
  if (!room.initialised) InitAuctionRoom();
  if (!room.open && CurrentAuction() && CurrentAuction()->active) BuildAuctionRoomFigures();
  AdvanceFrameTick();
  StepAuctionRoomCamera();
  // The room camera looks along the seats from the auctioneer's side.
  const float x = room.cameraX * 0.5f;
  r.SetCameraPosition(x + kRoomEye.x, kRoomEye.y, kRoomEye.z);
  r.SetCameraTarget(x + kRoomLook.x, kRoomLook.y, kRoomLook.z);
  r.SetCameraUp(0, 1, 0);
  r.Reserved32(1);
  EntBeginFrame();
  r.UpdateCamera();
  r.SetDepthRange(1.0f, 200.0f);
  r.UpdateViewVolume();
  SetDrawRangesUnlimited();
  r.SetColourRamps(kRoomLampColour, kRoomFillColour, kRoomLampColour, 0, 8, 1.0f, kRoomLampDirection.x,
                   kRoomLampDirection.y, kRoomLampDirection.z, 0);
  r.EnableLighting();
  bool pictured = false;
  if (!hardware) {
    pictured = Image2DDrawFullScreen(kAuctionScreen, &r);
    r.SetShader(kShaderStartOfFrame);
  }
  r.SetShader(hardware ? kShaderVolumetricLights : kShaderModulate);
  r.SetShader(kShaderModulate);
  r.DisableFog();
  if (!pictured) {
    for (int32_t i = 0; i < room.propCount; ++i) room.props[i].Draw(View());
    if (room.auctioneerSet) room.auctioneer.Draw(View());
  }
  DrawAuctionBidderMarkers(r);
  for (Seat& s : room.seats) {
    if (!s.used) continue;
    PoseFigure(s, s.figure.position.x);
    s.figure.Draw(View());
    s.desk.Draw(View());
  }
  if (hardware || !pictured) DrawAuctionBidderHalos(r);
  r.SetShader(-1);
}

void ReleaseAuctionRoom() {
  Room& room = TheRoom();
  for (Seat& s : room.seats) {
    EntAnimDetach(&s.figure);
    s = Seat{};
  }
  for (int32_t i = 0; i < room.propCount; ++i) EntAnimDetach(&room.props[i]);
  room.propCount = 0;
  room.initialised = false;
  room.open = false;
}
