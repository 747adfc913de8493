#include "session/save_chunks.h"

#include <vector>

namespace {

struct HeaderState {
  std::function<SaveGameHeader()> source;
  SaveGameHeader header;
  int32_t endGameWord = 0;
};
HeaderState& Header() {
  static HeaderState state;
  return state;
}

// The end-game chunk: one word.
struct EndGameRecord {
  int32_t word = 0;
  template <class V>
  void Visit(V& v) {
    v.I32(word);
  }
};

}  // namespace

void InstallSaveChunkTable() {
  std::vector<uint32_t> order;
  for (const SaveChunkRow& row : kSaveChunks)
    if (order.empty() || order.back() != row.saveBit) order.push_back(row.saveBit);
  SetSaveHookOrder(order);
  RegisterSaveHook(kSaveHeader, [] {
    HeaderState& h = Header();
    if (h.source) h.header = h.source();
    WriteRecordChunk(kChunkHeader, h.header);
  });
  RegisterRecordChunk<SaveGameHeader>(kChunkHeader, kSaveHeaderLength,
                                      [](const SaveGameHeader& read) { Header().header = read; }, 1);
  RegisterSaveHook(kSaveEndGame, [] { WriteRecordChunk(kChunkEndGame, EndGameRecord{Header().endGameWord}); });
  RegisterRecordChunk<EndGameRecord>(kChunkEndGame, 4, [](const EndGameRecord& r) { Header().endGameWord = r.word; });
}

void SetSaveHeaderSource(std::function<SaveGameHeader()> source) { Header().source = std::move(source); }
bool HasSaveHeaderSource() { return bool(Header().source); }
SaveGameHeader& CurrentSaveHeader() { return Header().header; }
int32_t& EndGameWord() { return Header().endGameWord; }

bool ReadSaveHeader(std::string_view name) { return ReadSaveChunks(name, kChunkHeader); }
bool ReadSaveGameTime(std::string_view name) { return ReadSaveChunks(name, kChunkGameTime); }
