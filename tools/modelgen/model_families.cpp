#include "tools/modelgen/model_families.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/scene/asset_table.h"

// Kinds of this file:
//   person <name> <build> <pose> <shirt> <trousers> <skin> <hair>
//       build child | teen | adult | elder; pose street | walk | stand |
//       enter | sit. A street figure carries every animation of the street
//       people one after another, at the frames of its build
//       (PersonAnimFrames in engine/scene/asset_table.h): standing about, a
//       step in at a door, a stride, a reach over a counter, a look at the
//       watch, a look both ways. The others have eight frames: walk a stride;
//       stand 0-3 idle, 4-7 waiting (a look at the watch); enter a stride
//       through a door, moving 1.5 ahead; sit a nod. Faces +z; the feet stand
//       on y = 0.
//   vehicle <name> <type> <era 0-2> <body> [<accent>]
//       type car | sports | estate | taxi | van | pickup | police | ambulance |
//       limo | bus | coach | lorry | tanker | delivery | firetruck; faces +z.
//   character <name> <coat> <trousers> <skin> <hat colour> <hat style>
//       a player's figure, four frames of a gentle sway; hat style none |
//       top | cap | bowler | crown.
//   tutor <name> head|body <coat> <trousers> <skin> <hat colour>
//       the tutor, centred on his middle and facing +z (the overlay turns
//       him round to face the player): the head's 91 frames (0-49
//       talking, 50-59 surprise, 60-69 a look up, 70-90 a nod), or the body.
//   moneyanim <name> <colour>
//       the money bag: 96 frames, 0-40 coins jump out and are gone (a loss),
//       41-95 coins rain in and the bag swells (a gain).
//   token <name> <shape> <colour> <pose>  a playing token on a round base;
//       shape car | cart | dog | rocket | crown | horse | kettle | ship |
//       plane | trumpet; pose stand | sit (tipped back on its base). A
//       standing token has 72 frames: 0-23 idle, 24-39 a bid's hop, 40-71 a
//       win's jump and turn (the auction room plays them).
//   path <name> keys <f> <x> <y> <z> ... | loop <cx> <y> <cz> <rx> <rz> <frames>
//        | camera <f> <eye x y z> <look-at x y z> ...
//       a path: frames of four points (origin, then its right, up and
//       forward axis points), stored with z turned as the path reader turns
//       (a camera path: the eye, then its look-at point as the fourth, which
//       the fly-by camera reads; eased in and out between its keys)
//       it back. keys: key frames from 0, positions between them linear,
//       facing the way of travel; loop: an ellipse whose last frame is its
//       first.
//   streetobjects <name> <kerb> pattern <offset> <kind> ... blocks <x> <z> ...
//       the street furniture laid along the streets round each listed block
//       centre (city coordinates): on each side, at `kerb` from the centre
//       and at each pattern offset along the side, an object of that kind
//       (the 7th value of its record) facing the street. The model has no
//       vertices, only 28-byte records: the first half the points on the
//       street's middle line the objects were laid out from, the second half
//       the objects themselves; each is x, y, z (z turned as the model files
//       hold it), the facing (x, y, z) and the kind.
//   lights <name> <count> <x0> <y0> <z0> <x1> <y1> <z1> ...
//       a light model: its vertices are the lights, `count` of them evenly
//       from the first point to the second (one: the first point), for each
//       group of seven numbers; model coordinates.
//   glints <name> <size> (grid <x0> <z0> <x1> <z1> <step> <y> |
//       line <nx> <ny> <nz> <x0> <y0> <z0> <x1> <y1> <z1> <count>) ...
//       where sunlight glints off water or glass: 28-byte records of a
//       point, the way its surface faces and the glint's size. A grid lies
//       over water (facing up, tilted a little as by waves), its points a
//       little off the even grid; a
//       line runs along a glass face. Model coordinates.

float RowArgs::Number(size_t i) {
  if (i >= row_.args.size()) {
    if (error_.empty()) error_ = "parameter " + std::to_string(i + 1) + " missing";
    return 0;
  }
  char* end = nullptr;
  const float v = std::strtof(row_.args[i].c_str(), &end);
  if (*end != 0 || !std::isfinite(v) || std::fabs(v) > 1e5f) {
    if (error_.empty()) error_ = "bad number " + row_.args[i];
    return 0;
  }
  return v;
}

int RowArgs::Whole(size_t i, int low, int high) {
  const float v = Number(i);
  if (ok() && (v != std::floor(v) || v < low || v > high)) error_ = "whole number out of range: " + row_.args[i];
  return static_cast<int>(v);
}

Colour RowArgs::Col(size_t i) {
  Colour c = 0;
  if (i >= row_.args.size() || !ParseColour(row_.args[i], c)) {
    if (error_.empty()) error_ = "colour #rrggbb expected at parameter " + std::to_string(i + 1);
  }
  return c;
}

std::string RowArgs::Word(size_t i) {
  if (i < row_.args.size()) return row_.args[i];
  if (error_.empty()) error_ = "parameter " + std::to_string(i + 1) + " missing";
  return {};
}

namespace {

constexpr float kPi = static_cast<float>(std::numbers::pi);
constexpr int kPersonFrames = 8;
constexpr Colour kBlack = 0x1A1A1A, kGlass = 0x2B3A4A, kChrome = 0xC8C8C8, kHeadlight = 0xFFF4C0,
                 kTaillight = 0xC01010, kShoe = 0x2A2018;

// ---- People -------------------------------------------------------------------

struct Build {
  float scale;      // of an adult's height
  float headScale;  // children have large heads
  float stoop;      // degrees the back bends forward
  int32_t timing;   // PersonBuild: the frames of its animations
};

bool BuildOf(const std::string& word, Build& b) {
  if (word == "child") b = {0.6f, 1.35f, 0, kBuildChild};
  else if (word == "teen") b = {0.87f, 1.05f, 0, kBuildTeen};
  else if (word == "adult") b = {1.0f, 1.0f, 0, kBuildAdult};
  else if (word == "elder") b = {0.95f, 1.0f, 12, kBuildElder};
  else return false;
  return true;
}

struct PersonLook {
  Build build;
  std::string pose;
  Colour shirt, trousers, skin, hair;
  bool elder;
};

// Limb swings of a pose at a frame.
struct Stance {
  float leftLeg = 0, rightLeg = 0, leftArm = 0, rightArm = 0;
  float knees = 0;       // sitting: thighs forward
  float forward = 0;     // moved ahead
  float bob = 0, sway = 0, nod = 0, watch = 0;  // watch: left forearm raised
  float reach = 0;       // right arm raised forward, 0..1
  float look = 0;        // head turned, degrees
};

// A stride at `t` of its cycle (0..1).
void Stride(Stance& s, float t) {
  const float phase = 2 * kPi * t;
  s.leftLeg = 28 * std::sin(phase);
  s.rightLeg = -s.leftLeg;
  s.leftArm = -22 * std::sin(phase);
  s.rightArm = -s.leftArm;
  s.bob = 0.06f * std::fabs(std::cos(phase));
}

Stance StanceAt(const std::string& pose, int frame) {
  Stance s;
  const float phase = 2 * kPi * static_cast<float>(frame) / kPersonFrames;
  if (pose == "walk" || pose == "enter") {
    Stride(s, static_cast<float>(frame) / kPersonFrames);
    if (pose == "enter") s.forward = 1.5f * static_cast<float>(frame) / (kPersonFrames - 1);
  } else if (pose == "stand") {
    if (frame < 4) s.sway = 2.5f * std::sin(phase * 2);
    else s.watch = 1, s.nod = 12;
  } else {  // sit
    s.knees = 1;
    s.nod = 6 * std::sin(phase);
  }
  return s;
}

// A street figure at one frame of its build's animation table.
Stance StreetStanceAt(int32_t build, int frame) {
  int32_t animation = 0;
  while (animation + 1 < kPersonAnimations && frame >= PersonAnimFrames(build, animation + 1).first) ++animation;
  const PersonFrameRange range = PersonAnimFrames(build, animation);
  const int length = range.end - range.first, local = frame - range.first;
  const float t = static_cast<float>(local) / static_cast<float>(length);  // a loop's 0..1, end excluded
  const float once = length > 1 ? static_cast<float>(local) / static_cast<float>(length - 1) : 1.0f;  // 0..1
  Stance s;
  switch (animation) {
    case kPersonAnimStand: s.sway = 2.5f * std::sin(2 * kPi * t); break;
    case kPersonAnimEnter:
      Stride(s, t);
      s.forward = 1.5f * once;
      break;
    case kPersonAnimWalk: Stride(s, t); break;
    case kPersonAnimBuy:  // up to the counter and back, with a nod as it is handed over
      s.reach = std::sin(kPi * once);
      s.nod = 10 * std::sin(kPi * once);
      break;
    case kPersonAnimWait:  // the watch, shifting from foot to foot
      s.watch = 1, s.nod = 12;
      s.sway = 2 * std::sin(2 * kPi * t);
      break;
    default:  // looking left, then right, then ahead
      s.look = 40 * std::sin(2 * kPi * once);
      break;
  }
  return s;
}

void PersonFrame(MeshBuilder& m, const PersonLook& look, int frame, bool lod) {
  const Build& b = look.build;
  const float k = b.scale * 3.0f;  // an adult stands 3 units tall
  const Stance s = look.pose == "street" ? StreetStanceAt(b.timing, frame) : StanceAt(look.pose, frame);
  const float hip = 0.47f * k, shoulder = 0.8f * k, neck = 0.82f * k;
  const float head = 0.17f * k * b.headScale;
  const Vec3 lift{0, s.bob - (s.knees ? hip - 0.33f * k : 0), s.forward};
  const Place body = Then(TurnZ({0, hip, 0}, s.sway), TurnX({0, hip, 0}, b.stoop, lift));
  const Place headPlace = Then(Then(TurnY({0, neck, 0}, s.look), TurnX({0, neck, 0}, s.nod)), body);
  const float legW = 0.12f * k, armW = 0.085f * k, torsoW = 0.3f * k, depth = 0.09f * k;
  if (lod) {
    m.Box({-torsoW, 0, -depth}, {torsoW, hip, depth}, look.trousers, Move(lift));
    m.Box({-torsoW - armW, hip, -depth}, {torsoW + armW, shoulder, depth}, look.shirt, body);
    m.Box({-head / 2, neck, -head / 2}, {head / 2, neck + head, head / 2}, look.skin, headPlace);
    return;
  }
  // Legs swing at the hips; sitting folds them forward at the knees.
  for (int side = -1; side <= 1; side += 2) {
    const float x = side * 0.07f * k;
    const float swing = side < 0 ? s.leftLeg : s.rightLeg;
    const Place leg = Then(TurnX({0, hip, 0}, swing - s.knees * 90), Move(lift));
    if (s.knees) {
      const float thigh = hip - 0.25f * k;
      m.Box({x - legW / 2, thigh, -legW / 2}, {x + legW / 2, hip, legW / 2}, look.trousers, leg);
      m.Box({x - legW / 2, 0.04f * k, 0.22f * k - legW / 2}, {x + legW / 2, hip - 0.22f * k, 0.22f * k + legW / 2},
            look.trousers, Move(lift));
      m.Box({x - legW / 2, 0, 0.22f * k - legW / 2}, {x + legW / 2, 0.04f * k, 0.22f * k + legW}, kShoe, Move(lift));
    } else {
      m.Box({x - legW / 2, 0.04f * k, -legW / 2}, {x + legW / 2, hip, legW / 2}, look.trousers, leg);
      m.Box({x - legW / 2, 0, -legW / 2}, {x + legW / 2, 0.04f * k, legW}, kShoe, leg);
      m.Box({x - legW / 2, hip, -legW / 2}, {x + legW / 2, hip, legW / 2}, look.trousers, leg);
    }
  }
  m.Box({-torsoW / 2 - 0.02f * k, hip - 0.02f * k, -depth}, {torsoW / 2 + 0.02f * k, shoulder, depth}, look.shirt, body);
  // Arms hang from the shoulders; the watch pose raises the left forearm.
  for (int side = -1; side <= 1; side += 2) {
    const float x = side * (torsoW / 2 + armW / 2 + 0.02f * k);
    const float swing = side < 0 ? s.leftArm : s.rightArm;
    const float raised = side < 0 ? s.watch * 75 : s.reach * 80;
    const Place arm = Then(TurnX({0, shoulder, 0}, swing - raised - s.knees * 30), body);
    m.Box({x - armW / 2, shoulder - 0.33f * k, -armW / 2}, {x + armW / 2, shoulder, armW / 2}, look.shirt, arm);
    m.Box({x - armW / 2, shoulder - 0.38f * k, -armW / 2}, {x + armW / 2, shoulder - 0.33f * k, armW / 2}, look.skin,
          arm);
  }
  m.Box({-head / 2, neck, -head / 2}, {head / 2, neck + head, head / 2}, look.skin, headPlace);
  m.Box({-head / 2 - 0.01f, neck + head * 0.7f, -head / 2 - 0.01f}, {head / 2 + 0.01f, neck + head * 1.08f, head / 4},
        look.hair, headPlace);
  if (look.elder) {  // a walking stick in the right hand
    const float x = torsoW / 2 + armW + 0.05f * k;
    m.Box({x, 0, 0.1f * k}, {x + 0.03f * k, shoulder - 0.36f * k, 0.13f * k}, 0x5A3A1A, Move(lift));
  }
}

bool Person(const GenRow& row, RowArgs& a, std::vector<GenModel>& out, std::string& error) {
  PersonLook look;
  if (!BuildOf(a.Word(0), look.build)) return error = "unknown build " + row.args[0], false;
  look.pose = a.Word(1);
  if (look.pose != "street" && look.pose != "walk" && look.pose != "stand" && look.pose != "enter" &&
      look.pose != "sit")
    return error = "unknown pose " + look.pose, false;
  look.shirt = a.Col(2);
  look.trousers = a.Col(3);
  look.skin = a.Col(4);
  look.hair = a.Col(5);
  look.elder = row.args[0] == "elder";
  if (!a.ok()) return error = a.error(), false;
  for (int lod = 0; lod < 2; ++lod) {
    GenModel g;
    g.name = row.name + (lod ? "_lod" : "");
    const int frames = look.pose == "street" ? PersonAnimFrameCount(look.build.timing) : kPersonFrames;
    for (int f = 0; f < frames; ++f) {
      g.mesh.BeginFrame();
      PersonFrame(g.mesh, look, f, lod == 1);
    }
    out.push_back(std::move(g));
  }
  return true;
}

// ---- Vehicles -----------------------------------------------------------------

struct VehicleShape {
  const char* type;
  float length, width, bodyHeight, cabinHeight;
  float cabinStart, cabinEnd;  // fractions of the length from the rear
  int axles;
};

constexpr VehicleShape kVehicleShapes[] = {
    {"car", 7.0f, 3.0f, 1.2f, 1.0f, 0.25f, 0.7f, 2},     {"sports", 6.8f, 3.0f, 0.9f, 0.8f, 0.3f, 0.65f, 2},
    {"estate", 7.5f, 3.0f, 1.2f, 1.0f, 0.08f, 0.7f, 2},  {"taxi", 7.5f, 3.0f, 1.2f, 1.0f, 0.22f, 0.7f, 2},
    {"police", 7.5f, 3.0f, 1.2f, 1.0f, 0.22f, 0.7f, 2},  {"limo", 10.0f, 3.0f, 1.2f, 1.0f, 0.15f, 0.75f, 2},
    {"pickup", 7.8f, 3.1f, 1.3f, 1.1f, 0.45f, 0.75f, 2}, {"van", 9.0f, 3.2f, 1.4f, 1.6f, 0.0f, 0.8f, 2},
    {"ambulance", 9.5f, 3.2f, 1.5f, 1.7f, 0.0f, 0.82f, 2}, {"delivery", 10.0f, 3.2f, 1.5f, 2.2f, 0.0f, 0.72f, 2},
    {"bus", 16.0f, 3.4f, 1.4f, 2.3f, 0.02f, 0.98f, 2},   {"coach", 16.0f, 3.4f, 1.6f, 2.4f, 0.02f, 0.96f, 3},
    {"lorry", 14.0f, 3.4f, 1.6f, 2.6f, 0.0f, 0.72f, 3},  {"tanker", 14.0f, 3.4f, 1.6f, 2.4f, 0.0f, 0.72f, 3},
    {"firetruck", 13.0f, 3.4f, 1.6f, 1.6f, 0.0f, 0.75f, 3},
};

const VehicleShape* ShapeOf(const std::string& type) {
  for (const VehicleShape& s : kVehicleShapes) {
    if (type == s.type) return &s;
  }
  return nullptr;
}

Colour Darker(Colour c) { return ((c >> 1) & 0x7F7F7F); }

void Wheels(MeshBuilder& m, const VehicleShape& s, int era, float radius) {
  const float w = s.width / 2;
  for (int axle = 0; axle < s.axles; ++axle) {
    const float z = axle == 0 ? -s.length * 0.34f : s.length * (axle == s.axles - 1 ? 0.34f : 0.12f);
    for (int side = -1; side <= 1; side += 2) {
      const float x = side * (w - 0.15f);
      m.Prism(8, radius, radius, x - 0.2f, x + 0.2f, 0, 0, kBlack, 'x', Move({0, radius, z}));
      if (era == 0) m.Prism(6, radius * 0.4f, radius * 0.4f, x - 0.22f, x + 0.22f, 0, 0, kChrome, 'x', Move({0, radius, z}));
    }
  }
}

void Lights(MeshBuilder& m, const VehicleShape& s, float base) {
  const float z = s.length / 2, w = s.width / 2;
  for (int side = -1; side <= 1; side += 2) {
    const float x = side * (w - 0.45f);
    m.Box({x - 0.3f, base + 0.4f, z - 0.05f}, {x + 0.3f, base + 0.7f, z + 0.05f}, kHeadlight);
    m.Box({x - 0.3f, base + 0.4f, -z - 0.05f}, {x + 0.3f, base + 0.7f, -z + 0.05f}, kTaillight);
  }
}

// The passenger part: a glass band under a roof of the body colour; later eras
// slope the windscreen further.
void Cabin(MeshBuilder& m, const VehicleShape& s, int era, float base, Colour roof, float start, float end) {
  const float w = s.width / 2 - 0.15f, z0 = -s.length / 2 + start * s.length, z1 = -s.length / 2 + end * s.length;
  const float slope = s.cabinHeight * (era == 0 ? 0.1f : era == 1 ? 0.35f : 0.7f);
  const float top = base + s.cabinHeight;
  m.Taper({-w, base, z0}, {w, top - 0.15f, z1}, 0.1f, 0.1f, -slope, kGlass);
  m.Box({-w + 0.05f, top - 0.15f, z0 + 0.05f}, {w - 0.05f, top, z1 - slope}, roof);
}

void VehicleBody(MeshBuilder& m, const VehicleShape& s, const std::string& type, int era, Colour body, Colour accent,
                 bool lod) {
  const float base = 0.5f, w = s.width / 2, z = s.length / 2, top = base + s.bodyHeight;
  const bool big = s.length > 12;
  if (lod) {
    m.Box({-w, 0.2f, -z}, {w, top, z}, body);
    const float z0 = -z + s.cabinStart * s.length, z1 = -z + s.cabinEnd * s.length;
    m.Box({-w + 0.15f, top, z0}, {w - 0.15f, top + s.cabinHeight, z1}, type == "lorry" || type == "tanker" ? accent : body);
    return;
  }
  const float wheelR = big ? 0.75f : 0.55f;
  // Older bodies ride higher with separate wings; newer ones are smooth.
  const float floorY = era == 0 ? base + 0.3f : base;
  m.Box({-w, floorY, -z}, {w, top, z}, body);
  if (era == 0 && !big) {
    for (int side = -1; side <= 1; side += 2) {
      m.Box({side * w - 0.2f, wheelR * 1.3f, -z + 0.3f}, {side * w + 0.2f, wheelR * 1.3f + 0.15f, z - 0.3f}, Darker(body));
    }
    m.Prism(8, 0.5f, 0.5f, -0.2f, 0.2f, 0, 0, kBlack, 'z', Move({0, top - 0.2f, -z - 0.2f}));  // spare tyre
  }
  m.Box({-w - 0.05f, base - 0.1f, z - 0.2f}, {w + 0.05f, base + 0.25f, z + 0.1f}, era == 2 ? Darker(body) : kChrome);
  m.Box({-w - 0.05f, base - 0.1f, -z - 0.1f}, {w + 0.05f, base + 0.25f, -z + 0.2f}, era == 2 ? Darker(body) : kChrome);
  Lights(m, s, base);
  if (type == "lorry" || type == "tanker" || type == "delivery" || type == "firetruck") {
    // Cab at the front, load behind it.
    const float cabZ0 = z - (type == "delivery" ? 0.32f : 0.28f) * s.length;
    m.Box({-w, top, cabZ0}, {w, top + s.cabinHeight * 0.55f, z - 0.3f}, body);
    m.Taper({-w + 0.1f, top + s.cabinHeight * 0.55f, cabZ0}, {w - 0.1f, top + s.cabinHeight * 0.9f, z - 0.3f}, 0.05f,
            0, -0.2f * era, kGlass);
    m.Box({-w, top + s.cabinHeight * 0.9f, cabZ0}, {w, top + s.cabinHeight, z - 0.3f - 0.2f * era}, body);
    const float loadZ1 = cabZ0 - 0.3f;
    if (type == "tanker") {
      m.Prism(10, w * 0.95f, w * 0.95f, -z + 0.2f, loadZ1, 0, 0, accent, 'z', Move({0, top + w * 0.9f, 0}));
    } else if (type == "firetruck") {
      m.Box({-w, top, -z}, {w, top + 1.2f, loadZ1}, body);
      m.Box({-0.5f, top + 1.2f, -z - 1.0f}, {0.5f, top + 1.5f, loadZ1 + 1.5f}, kChrome);  // ladder
      m.Box({-0.6f, top + s.cabinHeight, cabZ0 + 0.5f}, {0.6f, top + s.cabinHeight + 0.3f, cabZ0 + 1.0f}, 0x2040FF);
    } else {
      m.Box({-w - 0.05f, top, -z}, {w + 0.05f, top + s.cabinHeight * 1.25f, loadZ1}, accent);
    }
  } else if (type == "bus" || type == "coach") {
    // Long body with a band of windows along both sides.
    m.Box({-w + 0.05f, top, -z + 0.2f}, {w - 0.05f, top + s.cabinHeight - 0.4f, z - 0.3f}, kGlass);
    m.Box({-w, top + s.cabinHeight - 0.4f, -z}, {w, top + s.cabinHeight, z}, body);
    for (float pz = -z + 2.0f; pz < z - 1.5f; pz += 2.2f) {
      for (int side = -1; side <= 1; side += 2) {
        m.Box({side * w - 0.08f, top, pz}, {side * w + 0.08f, top + s.cabinHeight - 0.4f, pz + 0.3f}, body);
      }
    }
    m.Box({-w, top - 0.3f, -z}, {w, top, z}, accent);  // livery stripe
    m.Box({-1.0f, top + s.cabinHeight - 0.6f, z - 0.05f}, {1.0f, top + s.cabinHeight - 0.42f, z + 0.08f}, kHeadlight);
  } else {
    const bool boxy = type == "van" || type == "ambulance";
    Cabin(m, s, boxy ? std::min(era, 1) : era, top, body, s.cabinStart, s.cabinEnd);
    if (type == "pickup") m.Box({-w, top, -z}, {w, top + 0.5f, -z + 0.4f * s.length}, Darker(body));
    if (type == "taxi") m.Box({-0.5f, top + s.cabinHeight, -0.3f}, {0.5f, top + s.cabinHeight + 0.35f, 0.3f}, accent);
    if (type == "police" || type == "ambulance") {
      m.Box({-0.8f, top + s.cabinHeight, 0.0f}, {0.0f, top + s.cabinHeight + 0.25f, 0.4f}, 0x2050FF);
      m.Box({0.0f, top + s.cabinHeight, 0.0f}, {0.8f, top + s.cabinHeight + 0.25f, 0.4f}, 0xFF2020);
    }
    if (type == "police" || type == "ambulance" || type == "taxi") {
      m.Box({-w - 0.03f, base + 0.5f, -z + 0.5f}, {w + 0.03f, base + 0.8f, z - 0.5f}, accent);  // side band
    }
  }
  Wheels(m, s, era, wheelR);
}

bool Vehicle(const GenRow& row, RowArgs& a, std::vector<GenModel>& out, std::string& error) {
  const std::string type = a.Word(0);
  const VehicleShape* s = ShapeOf(type);
  if (!s) return error = "unknown vehicle type " + type, false;
  const int era = a.Whole(1, 0, 2);
  const Colour body = a.Col(2), accent = a.ColOr(3, Darker(body));
  if (!a.ok()) return error = a.error(), false;
  for (int lod = 0; lod < 2; ++lod) {
    GenModel g;
    g.name = row.name + (lod ? "_lod" : "");
    g.mesh.BeginFrame();
    VehicleBody(g.mesh, *s, type, era, body, accent, lod == 1);
    out.push_back(std::move(g));
  }
  return true;
}

// ---- Figures and tokens -----------------------------------------------------------

bool Character(const GenRow& row, RowArgs& a, std::vector<GenModel>& out, std::string& error) {
  PersonLook look{{1.15f, 1.2f, 0, kBuildAdult}, "stand", a.Col(0), a.Col(1), a.Col(2), a.Col(3), false};
  const std::string hat = a.Word(4);
  if (!a.ok()) return error = a.error(), false;
  if (hat != "none" && hat != "top" && hat != "cap" && hat != "bowler" && hat != "crown")
    return error = "unknown hat " + hat, false;
  GenModel g;
  g.name = row.name;
  for (int f = 0; f < 4; ++f) {
    g.mesh.BeginFrame();
    PersonFrame(g.mesh, look, f, false);
    const float top = 3.45f * 0.82f + 0.17f * 3.45f * 1.2f;  // the head's top
    const Place sway = TurnZ({0, 1.6f, 0}, 2.5f * std::sin(kPi * f));
    if (hat == "top") g.mesh.Prism(8, 0.35f, 0.35f, top - 0.05f, top + 0.7f, 0, 0, look.hair, 'y', sway);
    if (hat == "bowler") g.mesh.Prism(8, 0.38f, 0.2f, top - 0.05f, top + 0.3f, 0, 0, look.hair, 'y', sway);
    if (hat == "cap") g.mesh.Box({-0.36f, top - 0.05f, -0.36f}, {0.36f, top + 0.15f, 0.6f}, look.hair, sway);
    if (hat == "crown") g.mesh.Prism(5, 0.4f, 0.45f, top - 0.05f, top + 0.35f, 0, 0, 0xE8C030, 'y', sway);
    if (hat != "none") g.mesh.Prism(8, 0.5f, 0.5f, top - 0.08f, top, 0, 0, look.hair, 'y', sway);
  }
  out.push_back(std::move(g));
  return true;
}

// ---- The tutor and the money bag ------------------------------------------------

constexpr int kTutorFrames = 91;
constexpr int kMoneyFrames = 96;
constexpr int kMoneyLossFrames = 41;
constexpr int kCoins = 6;
constexpr Colour kCoinGold = 0xF2C230;

// The tutor is drawn over the interface, centred on his middle (feet at
// y = -1.4, hat at 1.45) so his head turns where it sits.
constexpr float kTutorNeck = 0.55f;

void TutorHead(MeshBuilder& m, const PersonLook& look, int f) {
  float nod = 0, mouth = 0.02f, brows = 0;
  if (f < 50) mouth = 0.03f + 0.05f * std::fabs(std::sin(kPi * f / 6.0f));  // talking
  else if (f < 60) brows = 0.06f * std::sin(kPi * (f - 50) / 9.0f);         // surprised
  else if (f < 70) nod = -12.0f * std::sin(kPi * (f - 60) / 9.0f);           // a look up
  else nod = 12.0f * std::sin(2 * kPi * (f - 70) / 10.0f);                   // nodding
  const Place head = TurnX({0, kTutorNeck, 0}, nod);
  const float y0 = kTutorNeck, y1 = kTutorNeck + 0.62f;
  m.Box({-0.1f, y0 - 0.05f, -0.1f}, {0.1f, y0 + 0.05f, 0.1f}, look.skin, head);  // neck
  m.Box({-0.27f, y0 + 0.05f, -0.27f}, {0.27f, y1, 0.27f}, look.skin, head);
  for (int side = -1; side <= 1; side += 2) {
    const float x = side * 0.11f;
    m.Box({x - 0.05f, y0 + 0.36f, 0.27f}, {x + 0.05f, y0 + 0.44f, 0.3f}, 0x1A1A1A, head);  // eyes
    m.Box({x - 0.08f, y0 + 0.48f + brows, 0.27f}, {x + 0.08f, y0 + 0.51f + brows, 0.3f}, look.hair, head);
  }
  m.Box({-0.1f, y0 + 0.18f - mouth, 0.27f}, {0.1f, y0 + 0.2f, 0.3f}, 0x8A2A2A, head);  // mouth
  m.Box({-0.04f, y0 + 0.26f, 0.27f}, {0.04f, y0 + 0.36f, 0.34f}, look.skin, head);     // nose
  m.Prism(8, 0.42f, 0.42f, y1 - 0.02f, y1 + 0.04f, 0, 0, look.hair, 'y', head);        // brim
  m.Prism(8, 0.3f, 0.18f, y1 + 0.04f, y1 + 0.33f, 0, 0, look.hair, 'y', head);         // bowler
}

void TutorBody(MeshBuilder& m, const PersonLook& look) {
  for (int side = -1; side <= 1; side += 2) {
    const float x = side * 0.14f;
    m.Box({x - 0.11f, -1.4f, -0.12f}, {x + 0.11f, -1.34f, 0.2f}, kShoe);
    m.Box({x - 0.1f, -1.34f, -0.1f}, {x + 0.1f, -0.45f, 0.1f}, look.trousers);
    m.Box({side * 0.32f - 0.08f, -0.35f, -0.08f}, {side * 0.32f + 0.08f, 0.45f, 0.08f}, look.shirt);  // arms
    m.Box({side * 0.32f - 0.07f, -0.47f, -0.07f}, {side * 0.32f + 0.07f, -0.35f, 0.07f}, look.skin);
  }
  m.Box({-0.26f, -0.5f, -0.15f}, {0.26f, kTutorNeck - 0.05f, 0.15f}, look.shirt);  // coat
  m.Box({-0.06f, -0.1f, 0.15f}, {0.06f, kTutorNeck - 0.1f, 0.17f}, 0xF4F4F4);      // shirt front
  m.Box({-0.03f, 0.0f, 0.17f}, {0.03f, kTutorNeck - 0.12f, 0.18f}, 0xB02020);      // tie
}

// tutor <name> head|body <coat> <trousers> <skin> <hat>: the head with its
// 91 frames (0-49 talking, 50-59 surprise, 60-69 a look up, 70-90 a nod),
// or the body standing still.
bool Tutor(const GenRow& row, RowArgs& a, std::vector<GenModel>& out, std::string& error) {
  const std::string part = a.Word(0);
  PersonLook look{{1.0f, 1.0f, 0, kBuildAdult}, "stand", a.Col(1), a.Col(2), a.Col(3), a.Col(4), false};
  if (!a.ok()) return error = a.error(), false;
  if (part != "head" && part != "body") return error = "tutor head or body expected", false;
  GenModel g;
  g.name = row.name;
  for (int f = 0; f < (part == "head" ? kTutorFrames : 1); ++f) {
    g.mesh.BeginFrame();
    if (part == "head") TutorHead(g.mesh, look, f);
    else TutorBody(g.mesh, look);
  }
  out.push_back(std::move(g));
  return true;
}

// The bag swollen by `swell`, its coins where frame f puts them.
void MoneyFrame(MeshBuilder& m, Colour c, int f) {
  const bool loss = f < kMoneyLossFrames;
  const float t = loss ? float(f) / (kMoneyLossFrames - 1) : float(f - kMoneyLossFrames) / (kMoneyFrames - kMoneyLossFrames - 1);
  const float swell = loss ? 1.0f - 0.15f * t : 0.85f + 0.15f * t + 0.08f * std::sin(kPi * t * 3);
  const float tilt = loss ? 12.0f * std::sin(kPi * t * 2) : -6.0f * std::sin(kPi * t * 4);
  const Place bag = TurnZ({0, 0, 0}, tilt);
  m.Prism(8, 1.0f * swell, 1.3f * swell, 0, 1.2f * swell, 0, 0, c, 'y', bag);
  m.Prism(8, 1.3f * swell, 0.4f, 1.2f * swell, 2.2f * swell, 0, 0, c, 'y', bag);
  m.Prism(8, 0.4f, 0.6f, 2.2f * swell, 2.7f * swell, 0, 0, Darker(c), 'y', bag);
  m.Box({-0.5f, 0.9f * swell, 1.15f * swell}, {0.5f, 1.5f * swell, 1.25f * swell}, 0x2E8B3A, bag);
  for (int i = 0; i < kCoins; ++i) {
    const float around = 2 * kPi * float(i) / kCoins;
    // Each coin starts a little after the one before; out of sight it sits
    // inside the bag.
    const float own = std::clamp(t * 1.6f - float(i) * 0.1f, 0.0f, 1.0f);
    Vec3 at{0, 1.0f, 0};
    if (loss && own > 0) {
      const float reach = 2.8f * own;
      at = {std::cos(around) * reach, 2.5f + 5.0f * own - 4.0f * own * own, std::sin(around) * reach * 0.5f};
    } else if (!loss && own < 1) {
      const float high = 1 - own;
      at = {std::cos(around) * 1.2f * high, 2.4f + 6.0f * high, std::sin(around) * 0.6f * high};
    }
    m.Prism(10, 0.45f, 0.45f, -0.08f, 0.08f, 0, 0, kCoinGold, 'z', Then(TurnY({0, 0, 0}, 30.0f * float(f + i)), Move(at)));
  }
}

bool MoneyAnim(const GenRow& row, RowArgs& a, std::vector<GenModel>& out, std::string& error) {
  const Colour c = a.Col(0);
  if (!a.ok()) return error = a.error(), false;
  GenModel g;
  g.name = row.name;
  for (int f = 0; f < kMoneyFrames; ++f) {
    g.mesh.BeginFrame();
    MoneyFrame(g.mesh, c, f);
  }
  out.push_back(std::move(g));
  return true;
}

void TokenShape(MeshBuilder& m, const std::string& shape, Colour c) {
  const Colour d = Darker(c);
  const float y = 0.3f;  // on its base
  if (shape == "car") {
    m.Box({-0.6f, y + 0.2f, -1.2f}, {0.6f, y + 0.7f, 1.2f}, c);
    m.Taper({-0.5f, y + 0.7f, -0.6f}, {0.5f, y + 1.1f, 0.5f}, 0.05f, 0.1f, -0.2f, d);
    for (int i = 0; i < 4; ++i)
      m.Prism(8, 0.25f, 0.25f, -0.15f, 0.15f, 0, 0, d, 'x',
              Move({(i & 1 ? 0.62f : -0.62f), y + 0.25f, (i & 2 ? 0.7f : -0.7f)}));
  } else if (shape == "cart") {
    m.Taper({-0.7f, y + 0.4f, -0.9f}, {0.7f, y + 1.1f, 0.9f}, -0.15f, -0.15f, 0.15f, c);
    m.Box({-0.1f, y + 1.0f, 0.9f}, {0.1f, y + 1.9f, 1.1f}, d);  // handle
    for (int i = 0; i < 4; ++i)
      m.Prism(8, 0.2f, 0.2f, -0.1f, 0.1f, 0, 0, d, 'x', Move({(i & 1 ? 0.6f : -0.6f), y + 0.2f, (i & 2 ? 0.6f : -0.6f)}));
  } else if (shape == "dog") {
    m.Box({-0.35f, y + 0.7f, -0.9f}, {0.35f, y + 1.2f, 0.7f}, c);
    m.Box({-0.3f, y + 1.1f, 0.6f}, {0.3f, y + 1.7f, 1.2f}, c);  // head
    m.Box({-0.15f, y + 1.15f, 1.2f}, {0.15f, y + 1.4f, 1.5f}, d);  // snout
    for (int i = 0; i < 4; ++i)
      m.Box({(i & 1 ? 0.15f : -0.35f), y, (i & 2 ? 0.4f : -0.8f)}, {(i & 1 ? 0.35f : -0.15f), y + 0.7f, (i & 2 ? 0.6f : -0.6f)}, c);
    m.Box({-0.07f, y + 1.1f, -1.4f}, {0.07f, y + 1.2f, -0.9f}, d, TurnX({0, y + 1.15f, -0.9f}, -30));  // tail
  } else if (shape == "rocket") {
    m.Prism(8, 0.4f, 0.4f, y, y + 1.8f, 0, 0, c);
    m.Prism(8, 0.4f, 0.0f, y + 1.8f, y + 2.6f, 0, 0, d);
    for (int i = 0; i < 4; ++i)
      m.Box({-0.05f, y, 0.3f}, {0.05f, y + 0.8f, 0.8f}, d, TurnY({0, 0, 0}, 90.0f * i));
  } else if (shape == "crown") {
    m.Prism(8, 0.8f, 0.8f, y, y + 0.6f, 0, 0, c);
    for (int i = 0; i < 6; ++i)
      m.Taper({-0.18f, y + 0.6f, 0.6f}, {0.18f, y + 1.3f, 0.8f}, 0.17f, 0.09f, -0.09f, c, TurnY({0, 0, 0}, 60.0f * i));
    m.Prism(8, 0.55f, 0.55f, y + 0.2f, y + 0.45f, 0, 0, 0xB02030);  // velvet band inside
  } else if (shape == "horse") {
    m.Box({-0.4f, y + 0.6f, -0.5f}, {0.4f, y + 1.5f, 0.3f}, c);  // chest of the chess-like knight
    m.Box({-0.3f, y + 1.5f, -0.4f}, {0.3f, y + 2.3f, 0.2f}, c, TurnX({0, y + 1.5f, 0}, 15));
    m.Box({-0.25f, y + 1.9f, 0.1f}, {0.25f, y + 2.25f, 0.8f}, c);  // muzzle
    m.Box({-0.07f, y + 1.6f, -0.55f}, {0.07f, y + 2.4f, -0.35f}, d);  // mane
    m.Prism(8, 0.6f, 0.5f, y, y + 0.6f, 0, 0, d);
  } else if (shape == "kettle") {
    m.Prism(10, 0.8f, 0.6f, y, y + 1.1f, 0, 0, c);
    m.Prism(10, 0.6f, 0.1f, y + 1.1f, y + 1.4f, 0, 0, c);
    m.Box({-0.08f, y + 1.4f, -0.08f}, {0.08f, y + 1.6f, 0.08f}, d);
    m.Taper({-0.15f, y + 0.3f, 0.6f}, {0.15f, y + 1.0f, 1.3f}, 0.05f, 0.4f, 0, c);  // spout
    m.Box({-0.08f, y + 0.4f, -1.1f}, {0.08f, y + 1.2f, -0.7f}, d);  // handle
  } else if (shape == "ship") {
    m.Taper({-0.5f, y, -1.1f}, {0.5f, y + 0.6f, 1.1f}, -0.1f, -0.1f, 0.35f, c);
    m.Box({-0.3f, y + 0.6f, -0.7f}, {0.3f, y + 1.0f, 0.2f}, d);
    m.Prism(6, 0.15f, 0.15f, y + 1.0f, y + 1.5f, 0, -0.3f, d);
  } else if (shape == "plane") {
    m.Prism(8, 0.25f, 0.25f, -1.3f, 1.3f, 0, 0, c, 'z', Move({0, y + 1.0f, 0}));
    m.Box({-1.4f, y + 0.95f, -0.2f}, {1.4f, y + 1.05f, 0.4f}, c);  // wings
    m.Box({-0.6f, y + 1.0f, -1.3f}, {0.6f, y + 1.08f, -1.0f}, d);
    m.Box({-0.04f, y + 1.0f, -1.3f}, {0.04f, y + 1.6f, -1.0f}, d);  // tail fin
    m.Box({-0.08f, y, -0.08f}, {0.08f, y + 1.0f, 0.08f}, d);  // stand
  } else {  // trumpet
    m.Prism(8, 0.12f, 0.12f, -1.2f, 0.7f, 0, 0, c, 'z', Move({0, y + 0.8f, 0}));
    m.Prism(10, 0.15f, 0.55f, 0.7f, 1.3f, 0, 0, c, 'z', Move({0, y + 0.8f, 0}));  // bell
    for (int i = 0; i < 3; ++i) m.Box({-0.05f, y + 0.9f, -0.5f + 0.25f * i}, {0.05f, y + 1.2f, -0.4f + 0.25f * i}, d);
    m.Box({-0.08f, y, -0.08f}, {0.08f, y + 0.8f, 0.08f}, d);
  }
}

// Where a standing token's shape is in frame f: idle rocks it gently on its
// base, a bid makes it hop and lean forward, a win makes it jump twice and
// turn once round.
Place TokenPose(int f) {
  if (f < kTokenBidFirst) {
    const float t = 2 * kPi * static_cast<float>(f - kTokenIdleFirst) / (kTokenBidFirst - kTokenIdleFirst);
    return TurnZ({0, 0.3f, 0}, 3.0f * std::sin(t), {0, 0.04f * (1 - std::cos(t)), 0});
  }
  if (f < kTokenWinFirst) {
    const float t = static_cast<float>(f - kTokenBidFirst) / (kTokenWinFirst - kTokenBidFirst - 1);
    const float s = std::sin(kPi * t);
    return TurnX({0, 0.3f, 0}, 12.0f * s, {0, 1.2f * s, 0});
  }
  const float t = static_cast<float>(f - kTokenWinFirst) / (kTokenFrames - kTokenWinFirst - 1);
  return TurnY({0, 0, 0}, 360.0f * t, {0, 1.0f * std::fabs(std::sin(2 * kPi * t)), 0});
}

bool Token(const GenRow& row, RowArgs& a, std::vector<GenModel>& out, std::string& error) {
  static const char* const kShapes[] = {"car", "cart", "dog", "rocket", "crown", "horse", "kettle", "ship", "plane", "trumpet"};
  const std::string shape = a.Word(0);
  const Colour c = a.Col(1);
  const std::string pose = a.Word(2);
  if (!a.ok()) return error = a.error(), false;
  if (std::find(std::begin(kShapes), std::end(kShapes), shape) == std::end(kShapes)) return error = "unknown token " + shape, false;
  if (pose != "stand" && pose != "sit") return error = "unknown pose " + pose, false;
  GenModel g;
  g.name = row.name;
  const int frames = pose == "stand" ? kTokenFrames : 1;
  for (int f = 0; f < frames; ++f) {
    g.mesh.BeginFrame();
    g.mesh.SetOuter(Identity());
    g.mesh.Prism(12, 1.0f, 0.95f, 0, 0.3f, 0, 0, Darker(c));
    // Resting: the same token tipped back and lowered onto its base.
    g.mesh.SetOuter(pose == "sit" ? TurnX({0, 0.3f, -0.6f}, -35, {0, -0.1f, 0.2f}) : TokenPose(f));
    TokenShape(g.mesh, shape, c);
  }
  out.push_back(std::move(g));
  return true;
}

// ---- Paths ----------------------------------------------------------------------

struct Frame {
  Vec3 origin, right, up, forward;
};

void PutFrame(std::vector<Vec3>& points, const Frame& f) {
  const Vec3 o{f.origin.x, f.origin.y, -f.origin.z};
  points.push_back(o);
  points.push_back({o.x + f.right.x, o.y + f.right.y, o.z - f.right.z});
  points.push_back({o.x + f.up.x, o.y + f.up.y, o.z - f.up.z});
  points.push_back({o.x - f.forward.x, o.y + f.forward.y, o.z - f.forward.z});
}

Frame Facing(const Vec3& at, Vec3 dir) {
  const float len = std::sqrt(dir.x * dir.x + dir.z * dir.z);
  if (len < 1e-6f) dir = {0, 0, 1};
  else dir = {dir.x / len, 0, dir.z / len};
  return {at, {dir.z, 0, -dir.x}, {0, 1, 0}, dir};
}

bool PathModel(const GenRow& row, RowArgs& a, std::vector<GenModel>& out, std::string& error) {
  const std::string shape = a.Word(0);
  std::vector<Frame> frames;
  if (shape == "loop") {
    const float cx = a.Number(1), y = a.Number(2), cz = a.Number(3), rx = a.Number(4), rz = a.Number(5);
    const int n = a.Whole(6, 3, 20000);
    if (!a.ok()) return error = a.error(), false;
    for (int f = 0; f <= n; ++f) {
      const float t = 2 * kPi * static_cast<float>(f % n) / static_cast<float>(n);
      frames.push_back(Facing({cx + rx * std::cos(t), y, cz + rz * std::sin(t)}, {-rx * std::sin(t), 0, rz * std::cos(t)}));
    }
  } else if (shape == "keys") {
    struct Key {
      int frame;
      Vec3 at;
    };
    std::vector<Key> keys;
    for (size_t i = 1; i + 3 < row.args.size() + 1 && i < row.args.size(); i += 4) {
      keys.push_back({a.Whole(i, 0, 20000), {a.Number(i + 1), a.Number(i + 2), a.Number(i + 3)}});
    }
    if (!a.ok()) return error = a.error(), false;
    if (keys.size() < 2 || keys[0].frame != 0) return error = "a keyed path needs two keys, the first at frame 0", false;
    for (size_t k = 1; k < keys.size(); ++k) {
      if (keys[k].frame <= keys[k - 1].frame) return error = "key frames must rise", false;
    }
    Vec3 heading{0, 0, 1};
    for (size_t k = 0; k + 1 < keys.size(); ++k) {
      const Key &p = keys[k], &q = keys[k + 1];
      const Vec3 d{q.at.x - p.at.x, q.at.y - p.at.y, q.at.z - p.at.z};
      if (std::fabs(d.x) + std::fabs(d.z) > 1e-4f) heading = d;  // a hold keeps the last heading
      const int span = q.frame - p.frame;
      for (int f = 0; f < span; ++f) {
        const float t = static_cast<float>(f) / static_cast<float>(span);
        frames.push_back(Facing({p.at.x + d.x * t, p.at.y + d.y * t, p.at.z + d.z * t}, heading));
      }
    }
    frames.push_back(Facing(keys.back().at, heading));
  } else if (shape == "camera") {
    struct Key {
      int frame;
      Vec3 eye, look;
    };
    std::vector<Key> keys;
    for (size_t i = 1; i + 6 < row.args.size(); i += 7) {
      keys.push_back({a.Whole(i, 0, 20000), {a.Number(i + 1), a.Number(i + 2), a.Number(i + 3)},
                      {a.Number(i + 4), a.Number(i + 5), a.Number(i + 6)}});
    }
    if (!a.ok()) return error = a.error(), false;
    if (keys.size() < 2 || keys[0].frame != 0) return error = "a camera path needs two keys, the first at frame 0", false;
    auto mix = [](const Vec3& p, const Vec3& q, float t) {
      return Vec3{p.x + (q.x - p.x) * t, p.y + (q.y - p.y) * t, p.z + (q.z - p.z) * t};
    };
    auto put = [&frames](const Vec3& eye, const Vec3& look) {
      // The fourth point, once the reader turns z back, is the look-at point.
      frames.push_back({eye, {1, 0, 0}, {0, 1, 0}, {eye.x - look.x, look.y - eye.y, look.z - eye.z}});
    };
    for (size_t k = 0; k + 1 < keys.size(); ++k) {
      const Key &p = keys[k], &q = keys[k + 1];
      if (q.frame <= p.frame) return error = "key frames must rise", false;
      const int span = q.frame - p.frame;
      for (int f = 0; f < span; ++f) {
        float t = static_cast<float>(f) / static_cast<float>(span);
        t = t * t * (3 - 2 * t);
        put(mix(p.eye, q.eye, t), mix(p.look, q.look, t));
      }
    }
    put(keys.back().eye, keys.back().look);
  } else {
    return error = "unknown path shape " + shape, false;
  }
  if (frames.size() > 0xFFFF) return error = "too many frames", false;
  GenModel g;
  g.name = row.name;
  g.direct = true;
  ModelFileData& m = g.data;
  m.vertexCount = 4;
  m.frameCount = static_cast<uint16_t>(frames.size());
  for (const Frame& f : frames) PutFrame(m.positions, f);
  m.uvs.assign(4, TexCoord{0.5f, 0.5f});
  m.textures.push_back(ColourTextureName(0xFFFFFF));
  ModelFileData::Primitive prim;
  prim.indices = {0, 1, 2, 0, 2, 3};
  m.primitives.push_back(prim);
  out.push_back(std::move(g));
  return true;
}

}  // namespace

namespace {

// Rows whose models have a front: built facing +z, turned to face -z as the
// game's models do.
bool HasFront(const std::string& kind) {
  for (const char* k : {"person", "vehicle", "character", "token", "train", "plane", "heli", "boat", "ship"}) {
    if (kind == k) return true;
  }
  return false;
}

bool GenerateFacingPlusZ(const GenRow& row, std::vector<GenModel>& out, std::string& error);

}  // namespace

bool GenerateRow(const GenRow& row, std::vector<GenModel>& out, std::string& error) {
  const size_t first = out.size();
  if (!GenerateFacingPlusZ(row, out, error)) return false;
  if (HasFront(row.kind)) {
    for (size_t i = first; i < out.size(); ++i) out[i].mesh.TurnAround();
  }
  return true;
}

namespace {

// A marker model: its vertices are the points where the city stands things
// (the city's trees), four round each listed block centre at `inset` from it
// along both axes; never drawn. "markers <name> <height> <inset> <x> <z> ..."
bool Markers(const GenRow& row, RowArgs& a, std::vector<GenModel>& out, std::string& error) {
  const float height = a.Number(0), inset = a.Number(1);
  if (row.args.size() < 4 || row.args.size() % 2 != 0) return error = "markers <height> <inset> then x z pairs", false;
  GenModel g;
  g.name = row.name;
  g.direct = true;
  ModelFileData& m = g.data;
  for (size_t i = 2; i + 1 < row.args.size(); i += 2) {
    const float x = a.Number(i), z = a.Number(i + 1);
    for (auto [sx, sz] : {std::pair{-1.0f, -1.0f}, {1.0f, -1.0f}, {1.0f, 1.0f}, {-1.0f, 1.0f}})
      m.positions.push_back({x + sx * inset, height, z + sz * inset});
  }
  if (!a.ok()) return error = a.error(), false;
  if (m.positions.size() > 0xFFF0) return error = "too many markers", false;
  m.vertexCount = static_cast<uint16_t>(m.positions.size());
  m.frameCount = 1;
  m.uvs.assign(m.vertexCount, TexCoord{0.5f, 0.5f});
  m.textures.push_back(ColourTextureName(0x20A020));
  // The four points round a centre make two triangles, so the file is a
  // model like any other.
  ModelFileData::Primitive prim;
  for (uint16_t q = 0; q + 3 < m.vertexCount; q += 4)
    prim.indices.insert(prim.indices.end(), {q, uint16_t(q + 1), uint16_t(q + 2), q, uint16_t(q + 2), uint16_t(q + 3)});
  m.primitives.push_back(prim);
  out.push_back(std::move(g));
  return true;
}

// The model file of records only (no vertices to draw).
GenModel RecordModel(const std::string& name, std::vector<ModelFrameRecord> records) {
  GenModel g;
  g.name = name;
  g.direct = true;
  g.data.vertexCount = 0;
  g.data.frameCount = 1;
  g.data.hasFrameRecords = true;
  g.data.frameRecordCount = static_cast<int32_t>(records.size());
  g.data.frameRecords = std::move(records);
  return g;
}

ModelFrameRecord Record(const Vec3& at, const Vec3& facing, int32_t tag) {
  return {{at.x, at.y, at.z}, {facing.x, facing.y, facing.z}, tag};
}

// Index of a word among the row's parameters, or the row's size.
size_t WordAt(const GenRow& row, const char* word) {
  return static_cast<size_t>(std::find(row.args.begin(), row.args.end(), word) - row.args.begin());
}

bool StreetObjects(const GenRow& row, RowArgs& a, std::vector<GenModel>& out, std::string& error) {
  const size_t pattern = WordAt(row, "pattern"), blocks = WordAt(row, "blocks");
  if (pattern != 1 || blocks >= row.args.size() || (blocks - pattern - 1) % 2 != 0 || blocks == pattern + 1 ||
      (row.args.size() - blocks - 1) % 2 != 0 || row.args.size() == blocks + 1)
    return error = "streetobjects <kerb> pattern <offset> <kind> ... blocks <x> <z> ...", false;
  constexpr float kStreetMiddle = 53.5f;  // half the distance between block centres
  const float kerb = a.Number(0);
  std::vector<ModelFrameRecord> along, objects;
  for (size_t b = blocks + 1; b + 1 < row.args.size(); b += 2) {
    const float cx = a.Number(b), cz = a.Number(b + 1);
    // Outward along each side: north, east, south, west.
    for (const auto& [nx, nz] : {std::pair{0.0f, 1.0f}, {1.0f, 0.0f}, {0.0f, -1.0f}, {-1.0f, 0.0f}}) {
      for (size_t p = pattern + 1; p + 1 < blocks; p += 2) {
        const float offset = a.Number(p);
        const int kind = a.Whole(p + 1, 0, 255);
        // Along the side is the outward direction turned a quarter.
        const float x = cx + nz * offset, z = cz - nx * offset;
        along.push_back(Record({x + nx * kStreetMiddle, 0, -(z + nz * kStreetMiddle)}, {nz, 0, -nx}, kind));
        objects.push_back(Record({x + nx * kerb, 0, -(z + nz * kerb)}, {nx, 0, nz}, kind));
      }
    }
  }
  if (!a.ok()) return error = a.error(), false;
  along.insert(along.end(), objects.begin(), objects.end());
  out.push_back(RecordModel(row.name, std::move(along)));
  return true;
}

bool LightPoints(const GenRow& row, RowArgs& a, std::vector<GenModel>& out, std::string& error) {
  if (row.args.empty() || row.args.size() % 7 != 0) return error = "lights: groups of <count> <x0 y0 z0> <x1 y1 z1>", false;
  GenModel g;
  g.name = row.name;
  g.direct = true;
  ModelFileData& m = g.data;
  for (size_t i = 0; i < row.args.size(); i += 7) {
    const int n = a.Whole(i, 1, 1000);
    const Vec3 p{a.Number(i + 1), a.Number(i + 2), a.Number(i + 3)}, q{a.Number(i + 4), a.Number(i + 5), a.Number(i + 6)};
    for (int k = 0; k < n; ++k) {
      const float t = n > 1 ? static_cast<float>(k) / static_cast<float>(n - 1) : 0.0f;
      m.positions.push_back({p.x + (q.x - p.x) * t, p.y + (q.y - p.y) * t, p.z + (q.z - p.z) * t});
    }
  }
  if (!a.ok()) return error = a.error(), false;
  if (m.positions.size() > 0xFFF0) return error = "lights: at most 65520 lights", false;
  m.vertexCount = static_cast<uint16_t>(m.positions.size());
  m.uvs.assign(m.vertexCount, TexCoord{0.5f, 0.5f});
  m.textures.push_back(ColourTextureName(0xFFFFFF));
  // A fan over the lights in order makes it a model like any other and
  // keeps them in their order (a vertex is placed at its first use).
  ModelFileData::Primitive prim;
  for (uint16_t v = 1; v + 1 < m.vertexCount; ++v) prim.indices.insert(prim.indices.end(), {0, v, uint16_t(v + 1)});
  if (m.vertexCount < 3) prim.indices = {0, uint16_t(m.vertexCount - 1), uint16_t(m.vertexCount - 1)};
  m.primitives.push_back(prim);
  out.push_back(std::move(g));
  return true;
}

bool Glints(const GenRow& row, RowArgs& a, std::vector<GenModel>& out, std::string& error) {
  const int size = a.Whole(0, 1, 200);
  std::vector<ModelFrameRecord> records;
  size_t i = 1;
  while (i < row.args.size() && a.ok()) {
    const std::string shape = a.Word(i);
    if (shape == "grid") {
      const float x0 = a.Number(i + 1), z0 = a.Number(i + 2), x1 = a.Number(i + 3), z1 = a.Number(i + 4);
      const float step = a.Number(i + 5), y = a.Number(i + 6);
      if (!a.ok() || step < 1 || x1 < x0 || z1 < z0) return error = "glints grid <x0> <z0> <x1> <z1> <step> <y>", false;
      int n = 0;
      for (float z = z0; z <= z1; z += step)
        for (float x = x0; x <= x1; x += step, ++n) {
          // Off the even grid by a fixed scatter, so the glints do not line
          // up, and tilted a little as by the waves, so the sun's image
          // breaks into sparkles.
          const float dx = static_cast<float>((n * 37) % 11 - 5) / 10.0f, dz = static_cast<float>((n * 53) % 13 - 6) / 12.0f;
          const float tx = static_cast<float>((n * 29) % 7 - 3) / 3.0f, tz = static_cast<float>((n * 41) % 9 - 4) / 4.0f;
          records.push_back(Record({x + dx * step * 0.4f, y, z + dz * step * 0.4f}, {tx * 0.06f, 1, tz * 0.06f}, size));
        }
      i += 7;
    } else if (shape == "line") {
      Vec3 n{a.Number(i + 1), a.Number(i + 2), a.Number(i + 3)};
      const Vec3 p{a.Number(i + 4), a.Number(i + 5), a.Number(i + 6)}, q{a.Number(i + 7), a.Number(i + 8), a.Number(i + 9)};
      const int count = a.Whole(i + 10, 1, 1000);
      const float len = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
      if (!a.ok() || len < 1e-4f) return error = "glints line <nx ny nz> <x0 y0 z0> <x1 y1 z1> <count>", false;
      n = {n.x / len, n.y / len, n.z / len};
      for (int k = 0; k < count; ++k) {
        const float t = count > 1 ? static_cast<float>(k) / static_cast<float>(count - 1) : 0.0f;
        records.push_back(Record({p.x + (q.x - p.x) * t, p.y + (q.y - p.y) * t, p.z + (q.z - p.z) * t}, n, size));
      }
      i += 11;
    } else {
      return error = "glints: grid or line expected, not " + shape, false;
    }
  }
  if (!a.ok()) return error = a.error(), false;
  if (records.empty() || records.size() > 20000) return error = "glints: 1 to 20000 points", false;
  out.push_back(RecordModel(row.name, std::move(records)));
  return true;
}

bool GenerateFacingPlusZ(const GenRow& row, std::vector<GenModel>& out, std::string& error) {
  RowArgs a(row);
  if (row.kind == "streetobjects") return StreetObjects(row, a, out, error);
  if (row.kind == "lights") return LightPoints(row, a, out, error);
  if (row.kind == "glints") return Glints(row, a, out, error);
  if (row.kind == "markers") return Markers(row, a, out, error);
  if (row.kind == "person") return Person(row, a, out, error);
  if (row.kind == "vehicle") return Vehicle(row, a, out, error);
  if (row.kind == "character") return Character(row, a, out, error);
  if (row.kind == "token") return Token(row, a, out, error);
  if (row.kind == "tutor") return Tutor(row, a, out, error);
  if (row.kind == "moneyanim") return MoneyAnim(row, a, out, error);
  if (row.kind == "path") return PathModel(row, a, out, error);
  GenModel g;
  g.name = row.name;
  g.mesh.BeginFrame();
  // "at <x> <z> [<degrees>]" ends a kit row whose model stands in its place
  // in the world (the land round the city).
  GenRow shape = row;
  const auto at = std::find(shape.args.begin(), shape.args.end(), "at");
  if (at != shape.args.end()) {
    GenRow where;
    where.args.assign(at + 1, shape.args.end());
    shape.args.erase(at, shape.args.end());
    RowArgs w(where);
    const float x = w.Number(0), z = w.Number(1), yaw = w.NumberOr(2, 0);
    if (!w.ok() || where.args.size() > 3) return error = "at <x> <z> [<degrees>] expected", false;
    g.mesh.SetOuter(TurnY({0, 0, 0}, yaw, {x, 0, z}));
  }
  RowArgs sa(shape);
  bool known = false;
  if (!GenerateKitRow(shape, sa, g.mesh, known)) {
    error = !known ? "unknown kind " + row.kind : sa.ok() ? "unknown type, or nothing to draw" : sa.error();
    return false;
  }
  out.push_back(std::move(g));
  return true;
}

}  // namespace
