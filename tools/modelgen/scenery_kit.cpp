// The scenery kit: the city's fixed and moving scenery from a few shapes.
// Kinds and parameters (sizes in world units, a lot is 10; y up; +z ahead):
//   slab <w> <d> <h> <colour>                 flat ground slab, top at h
//   road <length> <width>                     asphalt, kerbs, dashed centre line
//   bridge <length> <width> <height> <colour> deck on piers with railings
//   building <w> <d> <h> <wall> <roof>        walls with rows of windows
//   hall <w> <d> <h> <wall> <roof>            shed under a pitched roof
//   tower <radius> <h> <colour> <cap colour>  round tower, tank or chimney
//   room <w> <d> <h> <floor> <wall>           seen from inside
//   chair | bench | statue | fountain | flowers | flowerbed | brickcorner |
//   entrance | moneybag | bin | bollard | hydrant | postbox |
//   locator <colour>                          small street furniture
//   lamp <era 0-2> <colour>                   street light
//   trafficlight <era 0-1>                    post with three lamps
//   scaffold <w> <d> <h>                      poles, boards and ladders
//   box <w> <h> <d> <colour>                  a plain box (markers, bounds)
//   blades <radius> <colour>                  four flat blades (fans, rotors)
//   rooftop <type> <colour>                   aircon | tank | antenna |
//       chimney | dish | vent | skylight | sign | solar | stairs
//   train <steam|diesel|electric> <colour>    locomotive and one coach
//   plane <prop|jet|jumbo> <colour>           aircraft
//   heli <colour>                             helicopter without its rotor
//   boat <rowing|motor|sail|tug|ferry> <colour>
//   ship <cargo|tanker|liner|container> <colour>
//   crane <base|jib|hook|cable|container> <colour>
//   map <w> <d>                               the city as a board
#include <cmath>

#include "tools/modelgen/model_families.h"

namespace {

constexpr Colour kBlack = 0x1A1A1A, kGlass = 0x2B3A4A, kWindow = 0x35506E, kSteel = 0x707880, kWhite = 0xF0F0F0,
                 kAsphalt = 0x3C3C40, kKerb = 0xA8A8A0, kWood = 0x7A5230, kGreen = 0x3F8A3A, kWater = 0x3A78B8;

Colour Shade(Colour c, float f) {
  auto ch = [&](int shift) { return static_cast<Colour>(std::fmin(255.0f, static_cast<float>((c >> shift) & 0xFF) * f)) << shift; };
  return ch(16) | ch(8) | ch(0);
}

void Windows(MeshBuilder& m, float w, float d, float h, float floorH) {
  for (float y = floorH * 0.4f; y + floorH * 0.5f < h; y += floorH) {
    m.Box({-w / 2 - 0.05f, y, -d / 2 + 0.6f}, {w / 2 + 0.05f, y + floorH * 0.45f, d / 2 - 0.6f}, kWindow);
    m.Box({-w / 2 + 0.6f, y, -d / 2 - 0.05f}, {w / 2 - 0.6f, y + floorH * 0.45f, d / 2 + 0.05f}, kWindow);
  }
}

void Lamp(MeshBuilder& m, int era, Colour c) {
  if (era == 0) {  // gas lamp: fluted post, lantern on top
    m.Prism(6, 0.25f, 0.15f, 0, 5.5f, 0, 0, c);
    m.Taper({-0.4f, 5.5f, -0.4f}, {0.4f, 6.3f, 0.4f}, -0.1f, -0.1f, 0.1f, 0xFFE9A0);
    m.Prism(4, 0.55f, 0.0f, 6.3f, 6.8f, 0, 0, c);
  } else if (era == 1) {  // concrete post with a curved arm
    m.Box({-0.15f, 0, -0.15f}, {0.15f, 7.5f, 0.15f}, c);
    m.Box({-0.1f, 7.3f, 0}, {0.1f, 7.5f, 2.0f}, c);
    m.Box({-0.3f, 7.0f, 1.6f}, {0.3f, 7.3f, 2.4f}, 0xFFF4C0);
  } else {  // slim steel mast, flat head
    m.Prism(6, 0.12f, 0.08f, 0, 8.5f, 0, 0, c);
    m.Box({-0.08f, 8.4f, 0}, {0.08f, 8.5f, 2.5f}, c);
    m.Box({-0.35f, 8.3f, 1.8f}, {0.35f, 8.45f, 2.8f}, 0xE8F0FF);
  }
}

void Train(MeshBuilder& m, const std::string& type, Colour c) {
  const Colour dark = Shade(c, 0.6f);
  // Bogies and wheels under a locomotive (z 0..14) and a coach (z -16..-1).
  for (float z : {1.5f, 12.5f, -14.5f, -2.5f}) {
    for (int side = -1; side <= 1; side += 2) m.Prism(8, 0.7f, 0.7f, side * 1.4f - 0.15f, side * 1.4f + 0.15f, 0, 0, kBlack, 'x', Move({0, 0.7f, z}));
  }
  if (type == "steam") {
    m.Prism(10, 1.4f, 1.4f, 5.5f, 14.0f, 0, 0, c, 'z', Move({0, 2.6f, 0}));  // boiler
    m.Box({-1.6f, 1.0f, 0}, {1.6f, 1.4f, 14.0f}, kBlack);
    m.Box({-1.6f, 1.4f, 0}, {1.6f, 4.6f, 5.5f}, dark);  // cab
    m.Box({-1.7f, 4.6f, -0.2f}, {1.7f, 4.9f, 5.7f}, kBlack);
    m.Prism(8, 0.45f, 0.6f, 3.8f, 5.4f, 0, 11.5f, kBlack);  // chimney
  } else {
    m.Box({-1.6f, 1.0f, 0}, {1.6f, 4.2f, 14.0f}, c);
    m.Taper({-1.6f, 4.2f, 0}, {1.6f, 4.6f, 14.0f}, 0.3f, 0.2f, -0.2f, dark);
    m.Box({-1.5f, 2.8f, 13.9f}, {1.5f, 3.9f, 14.05f}, kGlass);
    m.Box({-1.65f, 1.4f, 0}, {1.65f, 1.9f, 14.0f}, Shade(c, 1.3f));  // stripe
    if (type == "electric") {
      m.Box({-0.1f, 4.6f, 6}, {0.1f, 5.6f, 6.2f}, kSteel);
      m.Box({-1.0f, 5.6f, 5.5f}, {1.0f, 5.7f, 6.8f}, kSteel);  // pantograph
    }
  }
  m.Box({-1.6f, 1.0f, -16.0f}, {1.6f, 4.2f, -1.0f}, Shade(c, 0.85f));  // coach
  m.Box({-1.65f, 2.6f, -15.5f}, {1.65f, 3.6f, -1.5f}, kGlass);
  m.Taper({-1.6f, 4.2f, -16.0f}, {1.6f, 4.6f, -1.0f}, 0.4f, 0, 0, dark);
}

void Plane(MeshBuilder& m, const std::string& type, Colour c) {
  const float len = type == "jumbo" ? 30 : type == "jet" ? 22 : 14, r = type == "jumbo" ? 2.6f : type == "jet" ? 1.8f : 1.2f;
  const float span = len * 1.1f;
  m.Prism(10, r, r, -len / 2 + 2, len / 2 - 2, 0, 0, kWhite, 'z', Move({0, r + 1, 0}));
  m.Prism(10, r, 0.3f, len / 2 - 2, len / 2, 0, 0, kWhite, 'z', Move({0, r + 1, 0}));       // nose
  m.Prism(10, r, 0.5f, -len / 2 - 1, -len / 2 + 2, 0, 0, kWhite, 'z', Move({0, r + 1.2f, 0}));  // tail cone
  m.Box({-r - 0.02f, r + 1.2f, -len / 2 + 2}, {r + 0.02f, r + 1.6f, len / 2 - 2}, c);           // livery line
  const float sweep = type == "prop" ? 0 : len * 0.15f;
  for (int side = -1; side <= 1; side += 2) {
    m.Hexa({Vec3{0, r + 0.6f, -1.5f}, Vec3{side * span / 2, r + 0.8f, -1.5f - sweep}, Vec3{side * span / 2, r + 0.8f, -0.5f - sweep},
            Vec3{0, r + 0.6f, 3.0f}, Vec3{0, r + 0.9f, -1.5f}, Vec3{side * span / 2, r + 0.95f, -1.5f - sweep},
            Vec3{side * span / 2, r + 0.95f, -0.5f - sweep}, Vec3{0, r + 0.9f, 3.0f}},
           kWhite);
    const float ex = side * span * 0.25f;
    if (type == "prop") m.Prism(8, 0.5f, 0.5f, -0.5f, 2.5f, 0, 0, kSteel, 'z', Move({ex, r + 0.9f, 0}));
    else m.Prism(8, 0.8f, 0.8f, -1.5f, 2.0f, 0, 0, kSteel, 'z', Move({ex, r - 0.1f, -sweep * 0.5f}));
    m.Box({side * len * 0.3f - (side > 0 ? 0.0f : 0.0f), r + 1.1f, -len / 2 - 1}, {side * 0.1f, r + 1.2f, -len / 2 + 1}, kWhite);
  }
  m.Hexa({Vec3{-0.1f, r + 1.5f, -len / 2 - 1}, Vec3{0.1f, r + 1.5f, -len / 2 - 1}, Vec3{0.1f, r + 1.5f, -len / 2 + 2.5f},
          Vec3{-0.1f, r + 1.5f, -len / 2 + 2.5f}, Vec3{-0.1f, r + 5, -len / 2 - 1.5f}, Vec3{0.1f, r + 5, -len / 2 - 1.5f},
          Vec3{0.1f, r + 5, -len / 2}, Vec3{-0.1f, r + 5, -len / 2}},
         c);  // fin
  m.Box({-r * 0.8f, r + 1.4f, len / 2 - 3}, {r * 0.8f, r + 1.9f, len / 2 - 2.2f}, kGlass);
}

void Boat(MeshBuilder& m, const std::string& type, Colour c, float len) {
  const float w = len * (type == "liner" || type == "ferry" ? 0.16f : 0.2f);
  m.Taper({-w * 0.6f, -1.0f, -len / 2}, {w * 0.6f, 0, len / 2 - len * 0.1f}, -w * 0.2f, 0, len * 0.1f, Shade(c, 0.7f));  // hull below
  m.Box({-w / 2, 0, -len / 2}, {w / 2, len * 0.06f, len / 2 - len * 0.1f}, c);
  m.Taper({-w / 2, 0, len / 2 - len * 0.1f}, {w / 2, len * 0.06f, len / 2}, w * 0.48f, 0, 0, c);  // bow
}

void Ship(MeshBuilder& m, const std::string& type, Colour c) {
  const float len = type == "liner" ? 90 : 80, w = len * 0.15f, deck = len * 0.06f;
  Boat(m, type, c, len);
  if (type == "container") {
    const Colour boxes[] = {0xC0392B, 0x2980B9, 0x27AE60, 0xE67E22, 0x8E44AD};
    int i = 0;
    for (float z = -len / 2 + 14; z < len / 2 - 12; z += 7) m.Box({-w / 2 + 0.5f, deck, z}, {w / 2 - 0.5f, deck + 5 + (i % 2) * 2.5f, z + 6.5f}, boxes[i++ % 5]);
    m.Box({-w / 2, deck, -len / 2 + 2}, {w / 2, deck + 12, -len / 2 + 11}, kWhite);
  } else if (type == "tanker") {
    m.Box({-w / 2 + 1, deck, -len / 2 + 14}, {w / 2 - 1, deck + 1.5f, len / 2 - 12}, Shade(c, 0.8f));
    for (float z = -len / 2 + 16; z < len / 2 - 14; z += 10) m.Prism(8, 0.4f, 0.4f, -w / 2 + 1, w / 2 - 1, 0, 0, kSteel, 'x', Move({0, deck + 2, z}));
    m.Box({-w / 2, deck, -len / 2 + 2}, {w / 2, deck + 12, -len / 2 + 11}, kWhite);
  } else if (type == "liner") {
    for (int tier = 0; tier < 4; ++tier) {
      const float inset = 1.0f + tier * 1.2f, y = deck + tier * 3.0f;
      m.Box({-w / 2 + inset, y, -len / 2 + 6 + tier * 4}, {w / 2 - inset, y + 3, len / 2 - 18 - tier * 3}, kWhite);
      m.Box({-w / 2 + inset - 0.05f, y + 1, -len / 2 + 7 + tier * 4}, {w / 2 - inset + 0.05f, y + 2, len / 2 - 19 - tier * 3}, kWindow);
    }
    for (float z : {-8.0f, 6.0f}) m.Prism(10, 2.5f, 2.2f, deck + 12, deck + 20, 0, z, 0xD0302A);  // funnels
  } else {  // cargo: holds, derricks and a bridge aft
    for (float z = -len / 2 + 16; z < len / 2 - 14; z += 16) {
      m.Box({-w / 2 + 2, deck, z}, {w / 2 - 2, deck + 2, z + 10}, Shade(c, 0.8f));
      m.Box({-0.3f, deck, z - 1}, {0.3f, deck + 14, z - 0.4f}, kSteel);
    }
    m.Box({-w / 2, deck, -len / 2 + 2}, {w / 2, deck + 10, -len / 2 + 12}, kWhite);
    m.Prism(8, 1.8f, 1.6f, deck + 10, deck + 16, 0, -len / 2 + 6, kBlack);
  }
  m.Box({-w / 2 - 0.05f, deck + 7, -len / 2 + 2.5f}, {w / 2 + 0.05f, deck + 8.5f, -len / 2 + 10.5f}, kWindow);
}

void SmallBoat(MeshBuilder& m, const std::string& type, Colour c) {
  const float len = type == "ferry" ? 30 : type == "tug" ? 14 : type == "rowing" ? 5 : 9;
  Boat(m, type, c, len);
  const float deck = len * 0.06f, w = len * 0.2f;
  if (type == "sail") {
    m.Prism(6, 0.15f, 0.1f, deck, deck + 10, 0, 0, kWood);
    m.Hexa({Vec3{0, deck + 1, -len * 0.35f}, Vec3{0.05f, deck + 1, -len * 0.35f}, Vec3{0.05f, deck + 1, -0.2f}, Vec3{0, deck + 1, -0.2f},
            Vec3{0, deck + 1.2f, -0.3f}, Vec3{0.05f, deck + 1.2f, -0.3f}, Vec3{0.05f, deck + 9.8f, -0.2f}, Vec3{0, deck + 9.8f, -0.2f}},
           kWhite);
  } else if (type == "motor") {
    m.Taper({-w / 2 + 0.3f, deck, -len * 0.1f}, {w / 2 - 0.3f, deck + 1.3f, len * 0.2f}, 0.1f, 0.2f, -0.6f, kGlass);
  } else if (type == "tug") {
    m.Box({-w / 2 + 0.5f, deck, -len * 0.2f}, {w / 2 - 0.5f, deck + 3, len * 0.15f}, kWhite);
    m.Box({-w / 2 + 0.45f, deck + 1.8f, -len * 0.2f + 0.3f}, {w / 2 - 0.45f, deck + 2.6f, len * 0.15f - 0.3f}, kWindow);
    m.Prism(8, 0.7f, 0.6f, deck + 3, deck + 5.5f, 0, -len * 0.1f, kBlack);
    m.Prism(10, 0.35f, 0.35f, -w / 2 - 0.4f, w / 2 + 0.4f, 0, 0, kBlack, 'x', Move({0, deck * 0.6f, len * 0.3f}));  // fender
  } else if (type == "ferry") {
    m.Box({-w / 2 + 0.5f, deck, -len * 0.4f}, {w / 2 - 0.5f, deck + 3, len * 0.3f}, kWhite);
    m.Box({-w / 2 + 0.45f, deck + 1, -len * 0.38f}, {w / 2 - 0.45f, deck + 2, len * 0.28f}, kWindow);
    m.Box({-w / 4, deck + 3, -len * 0.1f}, {w / 4, deck + 5, len * 0.1f}, kWhite);
  } else {  // rowing: two thwarts and oars
    for (float z : {-0.8f, 0.8f}) m.Box({-w / 2, deck - 0.1f, z - 0.15f}, {w / 2, deck + 0.05f, z + 0.15f}, kWood);
    m.Box({-w / 2 - 1.5f, deck, -0.05f}, {w / 2 + 1.5f, deck + 0.1f, 0.1f}, kWood);
  }
}

void Crane(MeshBuilder& m, const std::string& part, Colour c) {
  if (part == "base") {  // a portal on rails, a braced tower, the cab and the slewing deck
    for (int sx = -1; sx <= 1; sx += 2) {
      for (int sz = -1; sz <= 1; sz += 2) m.Box({sx * 6 - 0.6f, 0, sz * 5 - 0.6f}, {sx * 6 + 0.6f, 12, sz * 5 + 0.6f}, c);
      // Cross braces between each pair of legs.
      m.Box({sx * 6 - 0.2f, 1, -5}, {sx * 6 + 0.2f, 1.6f, 5}, c, TurnX({sx * 6.0f, 6, 0}, 45));
      m.Box({sx * 6 - 0.2f, 1, -5}, {sx * 6 + 0.2f, 1.6f, 5}, c, TurnX({sx * 6.0f, 6, 0}, -45));
      m.Box({sx * 6.0f - 1, -0.2f, -7}, {sx * 6.0f + 1, 0.4f, 7}, kSteel);  // bogie on the rail
    }
    m.Box({-7, 12, -6}, {7, 14, 6}, c);
    for (int sx = -1; sx <= 1; sx += 2)
      for (int sz = -1; sz <= 1; sz += 2) m.Box({sx * 2 - 0.3f, 14, sz * 2 - 0.3f}, {sx * 2 + 0.3f, 30, sz * 2 + 0.3f}, c);
    for (float y = 16; y < 30; y += 4) m.Box({-2.2f, y, -2.2f}, {2.2f, y + 0.4f, 2.2f}, c);  // tower rungs
    m.Box({-3, 30, -3}, {3, 31, 3}, c);
    m.Box({-2.5f, 24, 2}, {2.5f, 28, 5}, kWhite);
    m.Box({-2.4f, 25.5f, 4.95f}, {2.4f, 27.5f, 5.1f}, kGlass);
  } else if (part == "jib") {
    m.Box({-1, 0, -10}, {1, 1.6f, 40}, c);
    m.Taper({-0.6f, 1.6f, -10}, {0.6f, 6, -2}, 0.4f, 3, -3, c);
    m.Box({-2, -2, -12}, {2, 1.6f, -8}, kSteel);  // counterweight
  } else if (part == "hook") {
    m.Box({-1.2f, 0, -1.2f}, {1.2f, 1.0f, 1.2f}, 0xE0B020);
    m.Box({-0.3f, -1.2f, -0.3f}, {0.3f, 0, 0.3f}, kSteel);
  } else if (part == "cable") {
    m.Box({-0.1f, 0, -0.1f}, {0.1f, 10, 0.1f}, kBlack);  // stretched to length when drawn
  } else {  // container
    m.Box({-1.2f, 0, -3}, {1.2f, 2.6f, 3}, c);
    for (float z = -2.6f; z < 3; z += 0.6f) m.Box({-1.25f, 0.2f, z}, {1.25f, 2.4f, z + 0.2f}, Shade(c, 0.8f));
  }
}

void Rooftop(MeshBuilder& m, const std::string& type, Colour c) {
  if (type == "aircon") {
    m.Box({-1.5f, 0, -1}, {1.5f, 1.4f, 1}, c);
    m.Prism(10, 0.6f, 0.6f, 1.4f, 1.5f, -0.6f, 0, kBlack);
    m.Prism(10, 0.6f, 0.6f, 1.4f, 1.5f, 0.8f, 0, kBlack);
  } else if (type == "tank") {
    for (int i = 0; i < 4; ++i) m.Box({-1.2f + (i & 1) * 2.2f, 0, -1.2f + (i >> 1) * 2.2f}, {-1.0f + (i & 1) * 2.2f, 2.5f, -1.0f + (i >> 1) * 2.2f}, kSteel);
    m.Prism(10, 1.5f, 1.5f, 2.5f, 5.5f, 0, 0, c);
    m.Prism(10, 1.6f, 0.1f, 5.5f, 6.3f, 0, 0, Shade(c, 0.7f));
  } else if (type == "antenna") {
    m.Box({-0.08f, 0, -0.08f}, {0.08f, 7, 0.08f}, kSteel);
    for (float y : {4.5f, 5.5f, 6.5f}) m.Box({-1.0f, y, -0.05f}, {1.0f, y + 0.08f, 0.05f}, kSteel);
  } else if (type == "chimney") {
    m.Box({-0.7f, 0, -0.5f}, {0.7f, 2.5f, 0.5f}, c);
    m.Box({-0.8f, 2.5f, -0.6f}, {0.8f, 2.8f, 0.6f}, Shade(c, 0.7f));
  } else if (type == "dish") {
    m.Box({-0.1f, 0, -0.1f}, {0.1f, 1.2f, 0.1f}, kSteel);
    m.Prism(10, 0.2f, 1.1f, -0.3f, 0.3f, 0, 0, c, 'z', Then(TurnX({0, 0, 0}, -35), Move({0, 1.3f, 0})));
  } else if (type == "vent") {
    m.Prism(8, 0.4f, 0.4f, 0, 1.5f, 0, 0, kSteel);
    m.Prism(8, 0.7f, 0.1f, 1.5f, 2.0f, 0, 0, c);
  } else if (type == "skylight") {
    m.Box({-1.5f, 0, -1}, {1.5f, 0.3f, 1}, c);
    m.Taper({-1.4f, 0.3f, -0.9f}, {1.4f, 1.2f, 0.9f}, 0, 0.85f, -0.85f, kGlass);
  } else if (type == "sign") {
    for (float x : {-2.5f, 2.5f}) m.Box({x - 0.1f, 0, -0.1f}, {x + 0.1f, 2, 0.1f}, kSteel);
    m.Box({-3, 2, -0.1f}, {3, 4, 0.1f}, c);
  } else if (type == "solar") {
    for (float z : {-1.5f, 0.5f}) m.Box({-2, 0.5f, z}, {2, 0.6f, z + 1.5f}, 0x203060, TurnX({0, 0.5f, z}, -25));
    m.Box({-2, 0, -1.6f}, {2, 0.5f, -1.5f}, kSteel);
  } else if (type == "stairs") {
    m.Box({-1.2f, 0, -1.5f}, {1.2f, 2.6f, 1.5f}, c);
    m.Box({-0.6f, 0, 1.45f}, {0.6f, 2.1f, 1.55f}, kWood);
  }
}

void BoardMap(MeshBuilder& m, float w, float d) {
  m.Box({-w / 2, 0, -d / 2}, {w / 2, 0.5f, d / 2}, 0x4D8F4A);
  // Eight by eight blocks with streets between.
  const float cell = w / 8;
  for (int i = 0; i < 8; ++i)
    for (int j = 0; j < 8; ++j) {
      const Colour c = ((i + j) % 3 == 0) ? 0xC8B89A : ((i * 7 + j) % 5 == 0) ? 0x6FA86A : 0xB0A090;
      m.Box({-w / 2 + i * cell + cell * 0.12f, 0.5f, -d / 2 + j * cell * d / w + cell * 0.12f},
            {-w / 2 + (i + 1) * cell - cell * 0.12f, 0.5f + cell * 0.05f * static_cast<float>(1 + (i * j) % 4),
             -d / 2 + (j + 1) * cell * d / w - cell * 0.12f},
            c);
    }
  m.Box({w / 2 - cell, 0.5f, -d / 2}, {w / 2, 0.52f, d / 2}, kWater);
}

void Furniture(MeshBuilder& m, const std::string& kind, Colour c) {
  if (kind == "chair") {
    m.Box({-0.9f, 1.6f, -0.9f}, {0.9f, 1.9f, 0.9f}, c);
    m.Box({-0.9f, 1.9f, -0.9f}, {0.9f, 4.0f, -0.7f}, c);
    for (int i = 0; i < 4; ++i) m.Box({(i & 1 ? 0.7f : -0.9f), 0, (i & 2 ? 0.7f : -0.9f)}, {(i & 1 ? 0.9f : -0.7f), 1.6f, (i & 2 ? 0.9f : -0.7f)}, kWood);
  } else if (kind == "bench") {
    for (float z : {-0.4f, 0.1f}) m.Box({-2.5f, 1.2f, z}, {2.5f, 1.35f, z + 0.4f}, c);
    m.Box({-2.5f, 1.5f, -0.7f}, {2.5f, 2.4f, -0.55f}, c);
    for (float x : {-2.2f, 2.0f}) m.Box({x, 0, -0.6f}, {x + 0.2f, 1.2f, 0.5f}, kBlack);
  } else if (kind == "statue") {
    m.Box({-2, 0, -2}, {2, 3, 2}, 0xB8B0A0);
    m.Box({-0.6f, 3, -0.4f}, {0.6f, 6.5f, 0.4f}, c);
    m.Prism(8, 0.5f, 0.5f, 6.5f, 7.5f, 0, 0, c);
    m.Prism(8, 0.4f, 0.4f, 7.5f, 8.4f, 0, 0, Shade(c, 0.8f));  // top hat
    m.Box({0.6f, 5.0f, -0.2f}, {2.0f, 5.4f, 0.2f}, c);  // arm raised in welcome
  } else if (kind == "fountain") {
    m.Prism(12, 5, 5, 0, 1.0f, 0, 0, 0xB8B0A0);
    m.Prism(12, 4.5f, 4.5f, 0.8f, 1.05f, 0, 0, kWater);
    m.Prism(8, 0.6f, 0.4f, 1.0f, 3.5f, 0, 0, 0xB8B0A0);
    m.Prism(10, 1.8f, 0.3f, 3.0f, 3.6f, 0, 0, 0xB8B0A0);
    m.Prism(8, 0.3f, 0.0f, 3.6f, 5.0f, 0, 0, 0xBFE3FF);  // the jet
  } else if (kind == "flowers") {
    const Colour petals[] = {c, 0xF5E050, 0xE05090, 0xFFFFFF};
    for (int i = 0; i < 6; ++i) {
      const float x = -1.2f + (i % 3) * 1.2f, z = -0.6f + (i / 3) * 1.2f;
      m.Box({x - 0.04f, 0, z - 0.04f}, {x + 0.04f, 0.8f, z + 0.04f}, kGreen);
      m.Box({x - 0.25f, 0.8f, z - 0.25f}, {x + 0.25f, 1.1f, z + 0.25f}, petals[i % 4]);
    }
  } else if (kind == "flowerbed") {
    m.Box({-4, 0, -2}, {4, 0.8f, 2}, 0x9A8F80);
    m.Box({-3.7f, 0.8f, -1.7f}, {3.7f, 0.9f, 1.7f}, 0x5A3A20);
    for (int i = 0; i < 8; ++i) m.Box({-3.4f + i * 0.9f, 0.9f, -1.2f + (i % 2) * 1.2f}, {-2.9f + i * 0.9f, 1.5f, -0.7f + (i % 2) * 1.2f}, i % 2 ? c : 0xF5E050);
  } else if (kind == "brickcorner") {
    m.Box({-3, 0, -3}, {3, 1.5f, -2}, c);
    m.Box({-3, 0, -2}, {-2, 1.5f, 3}, c);
    m.Box({-3.1f, 1.5f, -3.1f}, {3.1f, 1.7f, -1.9f}, 0xB8B0A0);
    m.Box({-3.1f, 1.5f, -1.9f}, {-1.9f, 1.7f, 3.1f}, 0xB8B0A0);
  } else if (kind == "entrance") {  // steps going down, railings, a sign on a post
    m.Box({-2, 0, -3}, {2, 0.2f, 3}, 0x555555);
    for (float x : {-2.0f, 1.8f}) m.Box({x, 0, -3}, {x + 0.2f, 1.2f, 3}, c);
    m.Box({-0.1f, 0, 3}, {0.1f, 4.5f, 3.2f}, c);
    m.Prism(12, 0.8f, 0.8f, -0.08f, 0.08f, 0, 0, c, 'z', Move({0, 4.5f, 3.1f}));
    m.Prism(12, 0.6f, 0.6f, -0.1f, 0.1f, 0, 0, kWhite, 'z', Move({0, 4.5f, 3.1f}));
  } else if (kind == "moneybag") {
    m.Prism(8, 1.0f, 1.3f, 0, 1.2f, 0, 0, c);
    m.Prism(8, 1.3f, 0.4f, 1.2f, 2.2f, 0, 0, c);
    m.Prism(8, 0.4f, 0.6f, 2.2f, 2.7f, 0, 0, Shade(c, 0.8f));
    m.Box({-0.5f, 1.0f, 1.2f}, {0.5f, 1.6f, 1.3f}, 0x2E8B3A);  // the dollar patch
  } else if (kind == "bin") {  // a litter bin on a post
    m.Box({-0.08f, 0, -0.08f}, {0.08f, 1.0f, 0.08f}, kBlack);
    m.Prism(8, 0.45f, 0.5f, 0.7f, 2.0f, 0, 0, c);
    m.Prism(8, 0.52f, 0.4f, 2.0f, 2.15f, 0, 0, Shade(c, 0.7f));
  } else if (kind == "bollard") {  // a kerb post with a light band
    m.Prism(8, 0.3f, 0.28f, 0, 1.6f, 0, 0, c);
    m.Prism(8, 0.31f, 0.31f, 1.2f, 1.4f, 0, 0, kWhite);
    m.Prism(8, 0.28f, 0.05f, 1.6f, 1.8f, 0, 0, c);
  } else if (kind == "hydrant") {
    m.Prism(8, 0.35f, 0.35f, 0, 1.3f, 0, 0, c);
    m.Prism(8, 0.4f, 0.1f, 1.3f, 1.7f, 0, 0, c);
    m.Prism(6, 0.15f, 0.15f, -0.6f, 0.6f, 0, 0, Shade(c, 0.8f), 'x', Move({0, 0.9f, 0}));
  } else if (kind == "postbox") {  // a pillar box with its slot facing +z
    m.Prism(10, 0.6f, 0.6f, 0, 2.6f, 0, 0, c);
    m.Prism(10, 0.7f, 0.1f, 2.6f, 3.1f, 0, 0, c);
    m.Box({-0.35f, 2.0f, 0.55f}, {0.35f, 2.12f, 0.65f}, kBlack);
  } else {  // locator: a small upright arrow
    m.Box({-0.2f, 0, -0.2f}, {0.2f, 2, 0.2f}, c);
    m.Taper({-0.5f, 2, -0.5f}, {0.5f, 2.8f, 0.5f}, 0.45f, 0.45f, -0.45f, c);
  }
}

void Scaffold(MeshBuilder& m, float w, float d, float h) {
  for (float x = -w / 2; x <= w / 2 + 0.01f; x += w / std::ceil(w / 5))
    for (float z : {-d / 2, d / 2}) m.Box({x - 0.1f, 0, z - 0.1f}, {x + 0.1f, h, z + 0.1f}, kSteel);
  for (float x : {-w / 2, w / 2})
    for (float z = -d / 2; z <= d / 2 + 0.01f; z += d / std::ceil(d / 5)) m.Box({x - 0.1f, 0, z - 0.1f}, {x + 0.1f, h, z + 0.1f}, kSteel);
  for (float y = 3; y < h; y += 3) {
    m.Box({-w / 2 - 0.6f, y, -d / 2 - 0.6f}, {w / 2 + 0.6f, y + 0.1f, -d / 2 + 0.2f}, kWood);
    m.Box({-w / 2 - 0.6f, y, d / 2 - 0.2f}, {w / 2 + 0.6f, y + 0.1f, d / 2 + 0.6f}, kWood);
    m.Box({-w / 2 - 0.05f, y + 1, -d / 2 - 0.15f}, {w / 2 + 0.05f, y + 1.1f, -d / 2 - 0.05f}, 0xE0A020);  // guard rail
  }
}

}  // namespace

bool GenerateKitRow(const GenRow& row, RowArgs& a, MeshBuilder& m, bool& known) {
  known = true;
  const std::string& k = row.kind;
  // Kinds of a type word and a colour.
  static constexpr struct {
    const char* kind;
    void (*make)(MeshBuilder&, const std::string&, Colour);
  } kTyped[] = {{"rooftop", Rooftop}, {"train", Train}, {"plane", Plane}, {"boat", SmallBoat}, {"ship", Ship}, {"crane", Crane}};
  for (const auto& t : kTyped) {
    if (k != t.kind) continue;
    const std::string type = a.Word(0);
    const Colour c = a.Col(1);
    if (a.ok()) t.make(m, type, c);
    return a.ok() && !m.Colours().empty();
  }
  if (k == "slab") {
    const float w = a.Number(0), d = a.Number(1), h = a.Number(2);
    const Colour c = a.Col(3);
    if (a.ok()) m.Box({-w / 2, h - std::fmax(h, 0.2f), -d / 2}, {w / 2, h, d / 2}, c);
  } else if (k == "road") {
    const float l = a.Number(0), w = a.Number(1);
    if (a.ok()) {
      m.Box({-w / 2, 0, -l / 2}, {w / 2, 0.1f, l / 2}, kAsphalt);
      for (int s = -1; s <= 1; s += 2) m.Box({s * w / 2 - 0.5f, 0, -l / 2}, {s * w / 2 + 0.5f, 0.4f, l / 2}, kKerb);
      for (float z = -l / 2 + 1; z + 3 < l / 2; z += 6) m.Box({-0.15f, 0.1f, z}, {0.15f, 0.12f, z + 3}, kWhite);
    }
  } else if (k == "bridge") {
    const float l = a.Number(0), w = a.Number(1), h = a.Number(2);
    const Colour c = a.Col(3);
    if (a.ok()) {
      m.Box({-w / 2, h - 1.5f, -l / 2}, {w / 2, h, l / 2}, c);
      m.Box({-w / 2 + 1, h, -l / 2}, {w / 2 - 1, h + 0.05f, l / 2}, kAsphalt);
      for (int s = -1; s <= 1; s += 2) m.Box({s * w / 2 - 0.3f, h, -l / 2}, {s * w / 2 + 0.3f, h + 1.2f, l / 2}, Shade(c, 0.8f));
      for (float z = -l / 2 + l / 6; z < l / 2; z += l / 3) m.Box({-w / 4, -4, z - 1.5f}, {w / 4, h - 1.5f, z + 1.5f}, Shade(c, 0.7f));
    }
  } else if (k == "building" || k == "hall") {
    const float w = a.Number(0), d = a.Number(1), h = a.Number(2);
    const Colour wall = a.Col(3), roof = a.Col(4);
    if (a.ok()) {
      m.Box({-w / 2, 0, -d / 2}, {w / 2, h, d / 2}, wall);
      if (k == "building") {
        Windows(m, w, d, h, 3.5f);
        m.Box({-w / 2 - 0.3f, h, -d / 2 - 0.3f}, {w / 2 + 0.3f, h + 0.6f, d / 2 + 0.3f}, roof);
        m.Box({-1.5f, 0, d / 2}, {1.5f, 3, d / 2 + 0.1f}, kGlass);  // door
      } else {
        m.Taper({-w / 2 - 0.5f, h, -d / 2 - 0.5f}, {w / 2 + 0.5f, h + w * 0.2f, d / 2 + 0.5f}, w / 2, 0, 0, roof);
        m.Box({-w / 4, 0, d / 2}, {w / 4, h * 0.7f, d / 2 + 0.1f}, Shade(wall, 0.6f));  // big door
      }
    }
  } else if (k == "tower") {
    const float r = a.Number(0), h = a.Number(1);
    const Colour c = a.Col(2), cap = a.Col(3);
    if (a.ok()) {
      m.Prism(10, r, r * 0.9f, 0, h, 0, 0, c);
      m.Prism(10, r * 1.05f, r * 0.2f, h, h + r * 0.5f, 0, 0, cap);
    }
  } else if (k == "room") {
    const float w = a.Number(0), d = a.Number(1), h = a.Number(2);
    const Colour floor = a.Col(3), wall = a.Col(4);
    if (a.ok()) {
      const Vec3 out{0, -100, 0};  // faces turn towards the middle of the room
      const float x = w / 2, z = d / 2;
      m.Quad({Vec3{-x, 0, -z}, Vec3{x, 0, -z}, Vec3{x, 0, z}, Vec3{-x, 0, z}}, out, floor);
      m.Quad({Vec3{-x, h, -z}, Vec3{x, h, -z}, Vec3{x, h, z}, Vec3{-x, h, z}}, {0, h + 100, 0}, Shade(wall, 1.2f));
      m.Quad({Vec3{-x, 0, z}, Vec3{x, 0, z}, Vec3{x, h, z}, Vec3{-x, h, z}}, {0, h / 2, z + 100}, wall);
      m.Quad({Vec3{-x, 0, -z}, Vec3{x, 0, -z}, Vec3{x, h, -z}, Vec3{-x, h, -z}}, {0, h / 2, -z - 100}, wall);
      m.Quad({Vec3{x, 0, -z}, Vec3{x, 0, z}, Vec3{x, h, z}, Vec3{x, h, -z}}, {x + 100, h / 2, 0}, Shade(wall, 0.9f));
      m.Quad({Vec3{-x, 0, -z}, Vec3{-x, 0, z}, Vec3{-x, h, z}, Vec3{-x, h, -z}}, {-x - 100, h / 2, 0}, Shade(wall, 0.9f));
      m.Box({-x + 1, 0, z - 3}, {x - 1, 1.2f, z - 1}, 0x6A1A20);  // stage along the far wall
    }
  } else if (k == "chair" || k == "bench" || k == "statue" || k == "fountain" || k == "flowers" || k == "flowerbed" ||
             k == "brickcorner" || k == "entrance" || k == "moneybag" || k == "bin" || k == "bollard" ||
             k == "hydrant" || k == "postbox" || k == "locator") {
    const Colour c = a.Col(0);
    if (a.ok()) Furniture(m, k, c);
  } else if (k == "lamp") {
    const int era = a.Whole(0, 0, 2);
    const Colour c = a.Col(1);
    if (a.ok()) Lamp(m, era, c);
  } else if (k == "trafficlight") {
    const int era = a.Whole(0, 0, 1);
    if (a.ok()) {
      m.Box({-0.15f, 0, -0.15f}, {0.15f, 5, 0.15f}, era ? 0x505860 : 0x2A4A2A);
      m.Box({-0.5f, 5, -0.4f}, {0.5f, 7.6f, 0.4f}, kBlack);
      const Colour lamps[] = {0x30D030, 0xE0B020, 0xD02020};
      for (int i = 0; i < 3; ++i) m.Prism(8, 0.3f, 0.3f, 0.4f, 0.5f, 0, 0, lamps[i], 'z', Move({0, 5.45f + i * 0.8f, 0}));
    }
  } else if (k == "scaffold") {
    const float w = a.Number(0), d = a.Number(1), h = a.Number(2);
    if (a.ok()) Scaffold(m, w, d, h);
  } else if (k == "box") {
    const float w = a.Number(0), h = a.Number(1), d = a.Number(2);
    const Colour c = a.Col(3);
    if (a.ok()) m.Box({-w / 2, 0, -d / 2}, {w / 2, h, d / 2}, c);
  } else if (k == "blades") {
    const float r = a.Number(0);
    const Colour c = a.Col(1);
    if (a.ok()) {
      m.Prism(8, r * 0.08f, r * 0.08f, -0.2f, 0.2f, 0, 0, c);
      for (int i = 0; i < 4; ++i) m.Box({-r * 0.06f, -0.05f, 0}, {r * 0.06f, 0.05f, r}, c, TurnY({0, 0, 0}, 90.0f * i + 10));
    }
  } else if (k == "heli") {
    const Colour c = a.Col(0);
    if (a.ok()) {
      m.Prism(10, 1.8f, 1.8f, -2.5f, 2.5f, 0, 0, c, 'z', Move({0, 2.2f, 0}));
      m.Box({-1.5f, 2.0f, 2.0f}, {1.5f, 3.5f, 3.6f}, kGlass);
      m.Prism(6, 0.7f, 0.3f, -9, -2.5f, 0, 0, c, 'z', Move({0, 2.8f, 0}));  // tail boom
      m.Box({-0.1f, 2.8f, -9.2f}, {0.1f, 4.5f, -8.2f}, c);
      for (int s = -1; s <= 1; s += 2) m.Box({s * 1.6f - 0.1f, 0, -2}, {s * 1.6f + 0.1f, 0.15f, 2.5f}, kBlack);  // skids
      m.Box({-0.2f, 4.0f, -0.2f}, {0.2f, 4.6f, 0.2f}, kSteel);  // rotor mast
    }
  } else if (k == "map") {
    const float w = a.Number(0), d = a.Number(1);
    if (a.ok()) BoardMap(m, w, d);
  } else {
    known = false;
    return false;
  }
  if (a.ok() && m.Colours().empty()) return false;
  return a.ok();
}
