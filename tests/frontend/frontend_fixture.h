#pragma once
// A scratch game root with the current profile's saves in it; the profile
// record, save sources and run state are put back afterwards.
#include <gtest/gtest.h>

#include <string>

#include "engine/core/run_state.h"
#include "engine/files/save_game.h"
#include "platform/paths.h"
#include "platform/temp_dir.h"
#include "script/profiles.h"
#include "session/session_state.h"

class FrontEndDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    oldRoot_ = platform::GameRoot();
    platform::SetGameRoot(dir_.path());
    PlayerProfile() = CPlayerProfile{};
    SetSaveProfileSource([] { return std::string(PlayerProfile().name); });
  }
  void TearDown() override {
    SetSaveProfileSource({});
    SetSaveHeaderSource({});
    PlayerProfile() = CPlayerProfile{};
    RunState().gameRunning = false;
    Session().networkSession = false;
    GamePauseState().Reset();
    platform::SetGameRoot(oldRoot_);
  }

  TempDir dir_;
  std::string oldRoot_;
};
