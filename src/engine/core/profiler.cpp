#include "engine/core/profiler.h"

#include <cstring>

#include "platform/clock.h"
#include "platform/paths.h"

CProfiler::~CProfiler() { Stop(); }

int64_t CProfiler::Now() const { return m_clock ? m_clock() : platform::timeGetTime(); }

uint32_t CProfiler::HashSlot(const char* name) {
  uint32_t h = 0, shift = 0;
  for (const unsigned char* c = reinterpret_cast<const unsigned char*>(name); *c; ++c) {
    h ^= uint32_t(*c) << shift;
    shift = (shift + 5) % 32;
  }
  return h % kSlots;
}

void CProfiler::Clear() {
  for (Section& s : m_sections) s = Section{};
  m_orderCount = 0;
  m_depth = 0;
  m_sinceReport = 0;
  m_frameNumber = 0;
}

bool CProfiler::Start(const char* fileName) {
  Stop();
  Clear();
  m_file = platform::OpenGameFile(fileName, "w+");
  if (!m_file) return false;
  std::fputs("\n=====================================\n", m_file);
  std::fputs(" avg      count\n", m_file);
  std::fputs("=====================================\n", m_file);
  return true;
}

void CProfiler::Stop() {
  if (m_file) std::fclose(m_file);
  m_file = nullptr;
}

int32_t CProfiler::FindOrAddSlot(const char* name) {
  auto holds = [&](int32_t i) {
    return m_sections[i].used && std::strncmp(m_sections[i].name, name, kNameLength - 1) == 0;
  };
  int32_t home = int32_t(HashSlot(name));
  if (holds(home)) return home;
  if (!m_sections[home].used) return home;
  for (int32_t i = 0; i < kSlots; ++i)
    if (holds(i)) return i;
  for (int32_t i = 0; i < kSlots; ++i)
    if (!m_sections[i].used) return i;
  return -1;
}

void CProfiler::BeginFrame() { m_frameStart = Now(); }

bool CProfiler::BeginSection(const char* name) {
  if (m_depth >= kMaxDepth) return false;
  int32_t slot = FindOrAddSlot(name);
  if (slot < 0) return false;
  Section& s = m_sections[slot];
  if (!s.used) {
    s.used = true;
    std::strncpy(s.name, name, kNameLength - 1);
    s.depth = m_depth;
    m_order[m_orderCount++] = slot;
  }
  s.start = Now();
  ++s.calls;
  m_stack[m_depth++] = slot;
  return true;
}

bool CProfiler::EndSection(const char* name) {
  if (m_depth == 0) return false;
  Section& s = m_sections[m_stack[m_depth - 1]];
  if (std::strncmp(s.name, name, kNameLength - 1) != 0) return false;
  int64_t duration = Now() - s.start;
  s.ownTime += duration;
  --m_depth;
  if (m_depth > 0) m_sections[m_stack[m_depth - 1]].ownTime -= duration;
  return true;
}

void CProfiler::EndFrame() {
  int64_t frameTime = Now() - m_frameStart;
  m_sinceReport += frameTime;
  ++m_frameNumber;
  bool report = m_sinceReport >= 1000;
  if (report) {
    m_sinceReport = 0;
    if (m_file) std::fprintf(m_file, "Frame: %i\n", m_frameNumber);
  }
  for (int32_t k = 0; k < m_orderCount; ++k) {
    Section& s = m_sections[m_order[k]];
    float share = frameTime > 0 ? 100.0f * float(s.ownTime) / float(frameTime) : 0.0f;
    s.history[s.historyNext] = share < 0.0f ? 0.0f : share;
    s.historyNext = (s.historyNext + 1) % kHistory;
    if (s.historyCount < kHistory) ++s.historyCount;
    if (report && m_file) {
      float sum = 0.0f;
      for (int32_t i = 0; i < s.historyCount; ++i) sum += s.history[i];
      char dashes[kMaxDepth + 1] = {};
      std::memset(dashes, '-', size_t(s.depth));
      std::fprintf(m_file, "%6.2f   %04d : %s%s\n", double(sum / float(s.historyCount)), s.calls,
                   dashes, s.name);
    }
    s.ownTime = 0;
    s.calls = 0;
  }
  if (m_file) std::fflush(m_file);
}
