#include "app/event_record_commands.h"

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>

#include "app/game.h"
#include "engine/input/event_record.h"
#include "engine/input/input_device.h"
#include "engine/core/console.h"
#include "platform/paths.h"
#include "session/save_chunks.h"

namespace {

// A recording and its save are saves of the profile: their names follow the
// save names' rule.
bool PlainName(std::string_view name) {
  const std::string base(name);
  return name.find("..") == std::string_view::npos && name.find(':') == std::string_view::npos &&
         ValidSaveName(base + std::string(kRecordingExtension)) && ValidSaveName(base + ".sav");
}

std::string RealPath(std::string_view fileName) { return ResolveSavePath(SaveGamePath(fileName)); }

// True when nothing stands at the path, or an input recording does: a
// recording is written only over another. Anything else there (a save given
// that name before saves could not take it, a damaged recording) is kept.
bool RecordingOrNothing(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::exists(std::filesystem::symlink_status(path, ec))) return true;
  auto recording = std::make_unique<EventRecording>();
  std::string why;
  return ReadEventRecordFile(path.c_str(), *recording, why);
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
      !device->LoadRecording(RealPath(name + std::string(kRecordingExtension)).c_str())) {
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
  if (!PlainName(name) || device == nullptr) {
    CouldNotLoad(name);
    return 0;
  }
  // The recording's save is the game as it was when it started: a copy of
  // "__rec.sav", never the game running now. It is read first, so that
  // without it nothing is written.
  SaveGameFile start;
  start.path = RealPath(kRecordingStartSave);
  if (!CheckSaveGameFile(start, false)) {
    CouldNotLoad(kRecordingStartSave);
    return 0;
  }
  const std::string recordingName = name + std::string(kRecordingExtension);
  const std::string recording = RealPath(recordingName);
  if (!RecordingOrNothing(recording)) {
    ConsolePrintF(kConsoleError, "Error. File %s is not an input recording; it is kept and nothing was written",
                  recordingName.c_str());
    return 0;
  }
  // The recording's save goes only where nothing stands or beside the
  // recording it belongs to: a save of that name without one is the
  // player's own.
  const std::string saveName = name + ".sav";
  const std::string save = RealPath(saveName);
  std::error_code ec;
  if (std::filesystem::exists(std::filesystem::symlink_status(save, ec)) &&
      !std::filesystem::exists(std::filesystem::symlink_status(recording, ec))) {
    ConsolePrintF(kConsoleError,
                  "Error. File %s is a save the recorder did not make; it is kept and nothing was written",
                  saveName.c_str());
    return 0;
  }
  if (!device->SaveRecording(recording.c_str())) {
    CouldNotLoad(name);
    return 0;
  }
  const auto* bytes = reinterpret_cast<const char*>(start.buffer.data());
  if (!platform::ReplaceFileWhole(save, std::string_view(bytes, start.buffer.size())))
    ConsolePrintF(kConsoleError, "Error. File %s could not be saved", saveName.c_str());
  return 0;
}

void AttachEventRecordCommands() {
  SetConsoleCommandHandler("LOADEVENTRECORD", LoadEventRecordCommand);
  SetConsoleCommandHandler("SAVEEVENTRECORD", SaveEventRecordCommand);
}
