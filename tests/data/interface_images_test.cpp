// The interface images the HUD's pages and buttons show are drawn pictures,
// not the plain face that keeps the place of a picture still to be drawn.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tools/texconv/texture_source.h"

namespace {

namespace fs = std::filesystem;

// The sized set's first image in the interface image table (the plain set,
// images 0-3, comes first), and a place still holding the plain face.
constexpr int32_t kFirstSizedImage = 4;
constexpr int32_t kPlainPlace = 11;

struct UsedImages {
  const char* where;
  std::vector<int32_t> ids;
};

const UsedImages kUsed[] = {
    {"block page views: lease, building rights", {19, 18}},
    {"block page tabs: summary, ground rent, sales, values, a special block's income", {291, 197, 64, 67, 301}},
    {"labelled action button: normal, hover, pressed", {76, 77, 78}},
    {"business page views: own panel, change type, demolish", {25, 74, 23}},
    {"business page figures tab", {292}},
    {"selection panel titles: block, business", {20, 22}},
    {"tab faces: hover, pressed, chosen", {14, 15, 16}},
    {"sixth view button faces", {111, 112, 113, 114}},
    {"rent panel residence, voting rosette", {45, 46}},
    {"construction steps: kind, use, plot, design", {176, 177, 178, 179}},
    {"option pages' check box: clear, ticked", {180, 181}},
    {"chance button: held card, a card of its own kind", {286, 287, 288, 297, 298, 299}},
};

TextureSource SizedSet() {
  const fs::path path = fs::path(RC_TEST_SOURCE_DIR) / "data" / "textures" / "ui_generic_sized.txt";
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  TextureSource source;
  std::string error;
  EXPECT_TRUE(ParseTextureSource(text.str(), path.parent_path().string(), source, error, RC_DEJAVU_DIR)) << error;
  return source;
}

bool SameImage(const TextureImage& a, const TextureImage& b) {
  return a.width == b.width && a.height == b.height && a.texels == b.texels;
}

TEST(InterfaceImagesTest, ImagesThePanelsShowAreNotPlainFaces) {
  const TextureSource set = SizedSet();
  const auto image = [&](int32_t id) -> const TextureImage& { return set.textures.at(size_t(id - kFirstSizedImage)); };
  const TextureImage& plain = image(kPlainPlace);
  for (const UsedImages& used : kUsed)
    for (int32_t id : used.ids) {
      EXPECT_FALSE(SameImage(image(id), plain)) << "image " << id << " (" << used.where << ")";
      // A place kept for no picture holds a single texel.
      EXPECT_GT(image(id).width * image(id).height, 1) << "image " << id << " (" << used.where << ")";
    }
  // The four step icons differ from each other and from the check boxes.
  for (int32_t a = 176; a <= 181; ++a)
    for (int32_t b = a + 1; b <= 181; ++b)
      if (a < 180 || b < 180) {
        EXPECT_FALSE(SameImage(image(a), image(b))) << a << " and " << b;
      }
}

// One picture serves one purpose: a tab icon that is also a chance card's
// face shows the card on the tab.
TEST(InterfaceImagesTest, NoImageServesTwoUses) {
  std::map<int32_t, const char*> user;
  for (const UsedImages& used : kUsed)
    for (int32_t id : used.ids) {
      const auto [at, fresh] = user.emplace(id, used.where);
      EXPECT_TRUE(fresh) << "image " << id << ": " << at->second << " and " << used.where;
    }
}

}  // namespace
