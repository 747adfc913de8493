#include "session/scenarios.h"

#include "session/save_chunks.h"
#include "session/session_services.h"
#include "session/utility_income.h"

namespace {

bool Matches(const ScenarioEntry& e, int32_t selector) { return selector == 0 ? e.listFlag == 1 : e.listFlag == 0; }

const char* Text(const char* s) { return s ? s : ""; }

}  // namespace

CScenarioManager& ScenarioManager() {
  static CScenarioManager manager;
  return manager;
}

ScenarioEntry* CScenarioManager::Find(int32_t id) {
  for (ScenarioEntry& e : entries_)
    if (e.id == id) return &e;
  return nullptr;
}

ScenarioEntry* CScenarioManager::Register(int32_t id, const char* folder) {
  const int32_t kind = id / 100000;
  if (id < 0 || kind > kLevelKindMax) return nullptr;
  ScenarioEntry* e = Find(id);
  if (e == nullptr) e = &entries_.emplace_back();
  e->id = id;
  e->available = 1;
  e->listFlag = kind == 1 || kind == 2 || kind == 4;
  e->tutorial = kind == kLevelKindTutorial;
  e->folder = Text(folder);
  return e;
}

ScenarioEntry* CScenarioManager::RegisterLevel(int32_t id, const char* name, const char* folder,
                                               const char* description) {
  ScenarioEntry* e = Register(id, folder);
  if (e == nullptr) return nullptr;
  e->name = Text(name);
  e->description = Text(description);
  return e;
}

ScenarioEntry* CScenarioManager::RegisterLevelId(int32_t id, int32_t value, const char* folder, int32_t flagValue) {
  ScenarioEntry* e = Register(id, folder);
  if (e == nullptr) return nullptr;
  e->value = value;
  e->flagValue = flagValue;
  e->registeredById = true;
  return e;
}

bool CScenarioManager::SelectScenario(int32_t id, bool run) {
  current_ = nullptr;
  if (id == -1) return false;
  for (ScenarioEntry& e : entries_) {
    if (!Matches(e, run ? 1 : 0)) continue;
    current_ = &e;
    if (e.id != id) continue;
    if (run) {
      SessionGameServices& game = *Services().game;
      game.RunScriptFile(("scripts\\" + e.folder + "\\hub.lua").c_str());
      game.TriggerEvent("SetObjective", 0, 0);
    }
    return true;
  }
  current_ = nullptr;
  return false;
}

const ScenarioEntry* CScenarioManager::FirstEntry(int32_t selector) const { return NextEntry(nullptr, selector); }

const ScenarioEntry* CScenarioManager::NextEntry(const ScenarioEntry* after, int32_t selector) const {
  for (const ScenarioEntry* e = NextAnyEntry(after); e != nullptr; e = NextAnyEntry(e))
    if (Matches(*e, selector)) return e;
  return nullptr;
}

const ScenarioEntry* CScenarioManager::NextAnyEntry(const ScenarioEntry* after) const {
  if (after == nullptr) return entries_.empty() ? nullptr : &entries_.front();
  for (size_t i = 0; i + 1 < entries_.size(); ++i)
    if (&entries_[i] == after) return &entries_[i + 1];
  return nullptr;
}

const ScenarioEntry* CScenarioManager::FindById(int32_t id) const {
  for (const ScenarioEntry& e : entries_)
    if (e.id == id) return &e;
  return nullptr;
}

void CScenarioManager::SetCurrent(const ScenarioEntry* entry) { current_ = entry ? Find(entry->id) : nullptr; }

void CScenarioManager::SetDifficulty(int32_t difficulty) {
  if (difficulty < 0 || difficulty > 2) return;
  CurrentSaveHeader().difficulty = difficulty;
  SelectUtilityIncomeValues(difficulty);
}

void CScenarioManager::ResetProgress() {
  for (ScenarioEntry& e : entries_) {
    for (int32_t& word : e.progress) word = 0;
    for (uint8_t& done : e.completed) done = 0;
  }
}

const ScenarioEntry* CScenarioManager::UnlockFirstScenario() {
  // The first single-player level of the campaign, wherever the program's
  // own levels (the sandbox) were registered; else the first that is not a
  // tutorial.
  for (int pass = 0; pass < 2; ++pass)
    for (ScenarioEntry& e : entries_) {
      if (e.tutorial || (pass == 0 && e.id / 100000 != 2)) continue;
      e.available = 1;
      return &e;
    }
  return nullptr;
}

void CScenarioManager::UnlockNextScenario() {
  if (current_ == nullptr) return;
  current_->progress[3] = 1;
  bool after = false;
  for (ScenarioEntry& e : entries_) {
    if (&e == current_) {
      after = true;
    } else if (after && !e.tutorial) {
      e.progress[3] = 1;
      return;
    }
  }
}

void CScenarioManager::UnlockById(int32_t id) {
  if (ScenarioEntry* e = Find(id)) e->progress[3] = 1;
}

void CScenarioManager::MarkCurrentCompleted() {
  const int32_t difficulty = Difficulty();
  if (current_ && difficulty >= 0 && difficulty <= 2) current_->completed[difficulty] = 1;
}

void CScenarioManager::Clear() {
  entries_.clear();
  current_ = nullptr;
}

int32_t CScenarioManager::Difficulty() const { return CurrentSaveHeader().difficulty; }
