#pragma once
// A hardware renderer opened on the recording drawing layer, with a small
// shader table, in a throw-away game root (D3DEnum.txt goes there).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "engine/render/d3d_renderer.h"
#include "engine/core/error.h"
#include "platform/paths.h"
#include "platform/recording_gpu_device.h"

class D3DRecordingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = std::filesystem::temp_directory_path() /
            ("rc_gpu_" + std::to_string(::getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(root_);
    oldRoot_ = platform::GameRoot();
    platform::SetGameRoot(root_.string());
    oldFactory_ = platform::SetGpuSystemFactory([this] {
      auto s = std::make_unique<platform::RecordingGpuSystem>();
      Configure(*s);
      system_ = s.get();
      return s;
    });
    D3DForgetEnumeration();
    settings_.width = 640;
    settings_.height = 480;
    settings_.windowed = 1;
    settings_.fog = 1;
    settings_.halos = 0;
    BuildTable();
  }
  void TearDown() override {
    if (renderer_) renderer_->Close();
    renderer_.reset();
    platform::SetGpuSystemFactory(oldFactory_);
    D3DForgetEnumeration();
    platform::SetGameRoot(oldRoot_);
    std::filesystem::remove_all(root_);
  }
  virtual void Configure(platform::RecordingGpuSystem&) {}

  bool Open() {
    renderer_ = std::make_unique<CD3DRenderer>();
    if (!renderer_->Open(nullptr, nullptr, &settings_)) return false;
    device_ = dynamic_cast<platform::RecordingGpuDevice*>(renderer_->Device());
    return device_ != nullptr;
  }
  // Entry i: depth on/on/less-equal, cull clockwise, one stage modulating.
  void BuildTable() {
    std::memset(table_, 0, sizeof(table_));
    for (int32_t i = 0; i < 4; ++i) {
      ShaderMode& m = table_[i];
      m.name = "test";
      m.index = i;
      m.fill = kFillGouraud;
      m.depthTest = m.depthWrite = kStateOn;
      m.depthCompare = kCmpLessEqual;
      m.cull = kCullClockwise;
      m.alphaTest = kStateOff;
      m.alphaBlend = kStateOff;
      m.stageCount = 1;
      m.stages[0] = {2, 0, 0, kFilterLinear, kFilterLinear, kFilterPoint, kAddrWrap, kAddrWrap,
                     kArgTexture, kArgDiffuse, kOpModulate, kArgTexture, kArgDiffuse, kOpModulate};
      m.stages[1].state = kStageDisabled;
    }
  }
  int32_t Count(platform::GpuCall kind) const { return int32_t(device_->CallsOf(kind).size()); }
  int32_t CountState(platform::GpuState state) const {
    int32_t n = 0;
    for (const auto& c : device_->calls)
      if (c.call == platform::GpuCall::State && c.a == int32_t(state)) ++n;
    return n;
  }

  std::filesystem::path root_;
  std::string oldRoot_;
  platform::GpuSystemFactory oldFactory_;
  platform::RecordingGpuSystem* system_ = nullptr;
  platform::RecordingGpuDevice* device_ = nullptr;
  RendererSettings settings_{};
  ShaderMode table_[4];
  std::unique_ptr<CD3DRenderer> renderer_;
};
