#pragma once
// A fresh script state for a test, with warning boxes captured and helpers to
// run script text and read script values.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/core/error.h"
#include "platform/message_box.h"
#include "script/script.h"

// Box capture and script helpers, for fixtures of their own.
class ScriptHarness {
 protected:
  void StartScripts() {
    old_backend_ = platform::SetMessageBoxBackend(
        [this](std::string_view, std::string_view text, platform::BoxIcon, platform::BoxButtons) {
          boxes_.emplace_back(text);
          return platform::BoxResult::Ok;
        });
    ASSERT_TRUE(Script().Create());
  }
  void StopScripts() {
    Script().Destroy();
    platform::SetMessageBoxBackend(old_backend_);
  }

  bool RunScript(const std::string& text) { return Script().RunText(text, "test", true); }
  // The value of a script expression as a number (nil gives -999).
  double Eval(const std::string& expression) {
    lua_State* L = Script().State();
    const int top = lua_gettop(L);
    if (!Script().RunText("__result = " + expression, "eval", true)) return -999;
    lua_getglobal(L, "__result");
    double value = lua_isnil(L, -1) ? -999 : lua_tonumber(L, -1);
    lua_settop(L, top);
    return value;
  }
  std::string EvalText(const std::string& expression) {
    lua_State* L = Script().State();
    const int top = lua_gettop(L);
    Script().RunText("__result = " + expression, "eval", true);
    lua_getglobal(L, "__result");
    const char* text = lua_tostring(L, -1);
    std::string value = text != nullptr ? text : "(nil)";
    lua_settop(L, top);
    return value;
  }
  int CountBoxes(const std::string& text) const {
    return static_cast<int>(std::count_if(boxes_.begin(), boxes_.end(),
                                          [&](const std::string& b) { return b.find(text) != std::string::npos; }));
  }

  std::vector<std::string> boxes_;
  platform::MessageBoxBackend old_backend_;
};

class ScriptTest : public ::testing::Test, protected ScriptHarness {
 protected:
  void SetUp() override {
    ThrowOnFatalError();
    StartScripts();
  }
  void TearDown() override { StopScripts(); }
};
