#include "app/event_record_commands.h"

#include <string>
#include <string_view>

#include "app/game.h"
#include "engine/input/input_device.h"
#include "engine/core/console.h"
#include "platform/paths.h"
#include "session/save_chunks.h"

namespace {

constexpr std::string_view kRecordingStartSave = "__rec.sav";

// A recording and its save are saves of the profile: their names follow the
// save names' rule.
bool PlainName(std::string_view name) {
  const std::string base(name);
  return name.find("..") == std::string_view::npos && name.find(':') == std::string_view::npos &&
         ValidSaveName(base + ".rec") && ValidSaveName(base + ".sav");
}

std::string RealPath(std::string_view fileName) { return ResolveSavePath(SaveGamePath(fileName)); }

// Copies one save of the profile to another name; the target is replaced
// only by a complete copy of a save that reads back whole.
bool CopySave(std::string_view from, std::string_view to) {
  SaveGameFile source;
  source.path = RealPath(from);
  if (!CheckSaveGameFile(source, false)) return false;
  const auto* bytes = reinterpret_cast<const char*>(source.buffer.data());
  return platform::ReplaceFileWhole(RealPath(to), std::string_view(bytes, source.buffer.size()));
}

void CouldNotLoad(std::string_view name) {
  ConsolePrintF(kConsoleError, "Error. File %.*s could not be loaded", int(name.size()), name.data());
}

}  // namespace

int LoadEventRecordCommand(const char* rest) {
  std::string name;
  if (!ReadConsoleWord(rest, name)) return 0;
  CInputDevice* device = TheInputDevice();
  if (!PlainName(name) || device == nullptr ||
      !device->LoadRecording(RealPath(name + ".rec").c_str())) {
    CouldNotLoad(name);
    return 0;
  }
  // The save the recording starts from becomes the running game, and is
  // kept as the start of the recording for a later SAVEEVENTRECORD.
  std::string save = name + ".sav";
  if (!TheGame().Load(save)) {
    CouldNotLoad(save);
    return 0;
  }
  if (!SaveGame(kRecordingStartSave))
    ConsolePrintF(kConsoleError, "Error. File %s could not be saved", std::string(kRecordingStartSave).c_str());
  return 0;
}

int SaveEventRecordCommand(const char* rest) {
  std::string name;
  if (!ReadConsoleWord(rest, name)) return 0;
  CInputDevice* device = TheInputDevice();
  if (!PlainName(name) || device == nullptr ||
      !device->SaveRecording(RealPath(name + ".rec").c_str())) {
    CouldNotLoad(name);
    return 0;
  }
  // The recording's save is the game as it was when it started: a copy of
  // "__rec.sav", never the game running now.
  if (!CopySave(kRecordingStartSave, name + ".sav")) CouldNotLoad(kRecordingStartSave);
  return 0;
}

void AttachEventRecordCommands() {
  SetConsoleCommandHandler("LOADEVENTRECORD", LoadEventRecordCommand);
  SetConsoleCommandHandler("SAVEEVENTRECORD", SaveEventRecordCommand);
}
