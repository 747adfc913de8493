#include "engine/files/text_bank.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <numeric>
#include <set>
#include <string>

#include "engine/core/console.h"
#include "engine/files/file_bytes.h"
#include "platform/paths.h"

TextError ReadTextBankFiles(std::string_view base, TextBankData& out) {
  std::vector<uint8_t> off, bin;
  const std::string name(base);
  // The lengths first: the .bin must be exactly as long as they add up to,
  // so its size is checked before a byte of it is read.
  if (!ReadWholeGameFile(name + ".off", off, kMaxTextBankLengthBytes))
    return platform::GameFileExists(name + ".off") ? kTextShortRead : kTextCannotOpen;
  if (off.size() % 2 != 0 || off.empty()) return kTextShortRead;
  std::vector<uint16_t> lengths(off.size() / 2);
  std::memcpy(lengths.data(), off.data(), off.size());
  const uint64_t total = std::accumulate(lengths.begin(), lengths.end(), uint64_t{0});
  if (total > kMaxTextBankTextBytes) return kTextShortRead;
  if (!ReadWholeGameFile(name + ".bin", bin, size_t(total))) return kTextShortRead;  // longer, or a half gone
  if (total != bin.size()) return kTextShortRead;
  out.lengths = std::move(lengths);
  out.bytes = std::move(bin);
  return kTextOk;
}

bool TextBankExists(std::string_view base) {
  const std::string name(base);
  return platform::GameFileExists(name + ".off") || platform::GameFileExists(name + ".bin");
}

void SayTextBankUnreadable(std::string_view base, std::string_view consequence) {
  // Once for each file, wherever the game's root lies.
  static std::set<std::string> said;
  if (!said.insert(platform::ResolveGamePath(base)).second) return;
  ConsolePrintF(kConsoleError, "The text bank %.200s cannot be read; %.200s.", std::string(base).c_str(),
                std::string(consequence).c_str());
}

bool WriteTextBankFiles(std::string_view base, std::span<const std::string> strings) {
  ByteWriter off, bin;
  for (const std::string& s : strings) {
    if (s.size() > 0xFFFF) return false;
    off.Put(static_cast<uint16_t>(s.size()));
    bin.PutBytes(s.data(), s.size());
  }
  // The two halves together or not at all: a new .off beside an old .bin
  // would not read.
  const std::string name(base), offName = name + ".off", binName = name + ".bin";
  const GameFileBytes files[] = {{offName, off.bytes}, {binName, bin.bytes}};
  return WriteWholeGameFiles(files);
}

std::string CodePageCharTable() {
  std::string table;
  for (int c = 32; c < 256; ++c) table.push_back(static_cast<char>(c));
  return table;
}

void FillMissingTexts(TextBankData& bank, const TextBankData& fallback) {
  if (fallback.lengths.empty()) return;
  if (bank.lengths.empty()) {
    bank = fallback;
    return;
  }
  auto starts = [](const TextBankData& b) {
    std::vector<size_t> s(b.lengths.size() + 1, 0);
    for (size_t i = 0; i < b.lengths.size(); ++i) s[i + 1] = s[i] + b.lengths[i];
    return s;
  };
  const std::vector<size_t> own = starts(bank), other = starts(fallback);
  // Glyph code in the fallback -> character -> glyph code in the bank; a
  // character the bank's table lacks becomes its '?'.
  std::array<uint8_t, 256> recode{};
  std::array<int32_t, 256> codeOfChar;
  codeOfChar.fill(-1);
  for (size_t j = 0; j < std::min<size_t>(bank.lengths[0], 224); ++j) codeOfChar[32 + j] = bank.bytes[j];
  recode.fill(codeOfChar['?'] >= 0 ? uint8_t(codeOfChar['?']) : uint8_t('?'));
  for (size_t j = std::min<size_t>(fallback.lengths[0], 224); j-- > 0;) {
    if (codeOfChar[32 + j] >= 0) recode[fallback.bytes[j]] = uint8_t(codeOfChar[32 + j]);
  }
  TextBankData merged;
  const size_t count = std::max(bank.lengths.size(), fallback.lengths.size());
  merged.lengths.reserve(count);
  for (size_t id = 0; id < count; ++id) {
    const bool mine = id < bank.lengths.size() && (bank.lengths[id] > 0 || id >= fallback.lengths.size());
    if (mine) {
      merged.lengths.push_back(bank.lengths[id]);
      merged.bytes.insert(merged.bytes.end(), bank.bytes.begin() + own[id], bank.bytes.begin() + own[id + 1]);
      continue;
    }
    merged.lengths.push_back(fallback.lengths[id]);
    for (size_t k = other[id]; k < other[id + 1]; ++k) merged.bytes.push_back(recode[fallback.bytes[k]]);
  }
  bank = std::move(merged);
}

// ---- CStringBank ----------------------------------------------------------

void CStringBank::Clear() {
  std::fill(bytes_.begin(), bytes_.end(), 0);
  offsets_.assign(1, 0);
  count_ = 0;
}

std::span<const uint8_t> CStringBank::String(uint32_t index) const {
  if (index >= count_) return {};
  uint32_t begin = offsets_[index], end = offsets_[index + 1];
  end = std::min<uint32_t>(end, static_cast<uint32_t>(bytes_.size()));
  if (begin >= end) return {};
  return {bytes_.data() + begin, end - begin};
}

void CStringBank::Assign(std::span<const uint8_t> bytes, std::span<const uint32_t> starts) {
  bytes_.assign(bytes.begin(), bytes.end());
  offsets_.assign(starts.begin(), starts.end());
  if (offsets_.empty()) offsets_.push_back(0);
  count_ = static_cast<uint32_t>(offsets_.size() - 1);
  // Line ends may lie one past the text; keep them inside the bytes.
  if (offsets_.back() > bytes_.size()) bytes_.resize(offsets_.back(), 0);
}

bool CStringBank::AppendBank(const CStringBank& other) {
  if (other.count_ == 0) return false;
  uint32_t shift = offsets_[count_];
  uint32_t other_end = other.offsets_[other.count_];
  bytes_.resize(shift);
  bytes_.insert(bytes_.end(), other.bytes_.begin(), other.bytes_.begin() + other_end);
  offsets_.resize(count_ + 1);
  for (uint32_t i = 1; i <= other.count_; ++i) offsets_.push_back(other.offsets_[i] + shift);
  count_ += other.count_;
  return true;
}

bool CStringBank::SetString(uint32_t index, const CStringBank& source, uint32_t source_index) {
  if (source_index >= source.count_) return false;
  std::span<const uint8_t> text = source.String(source_index);
  while (count_ <= index) {
    offsets_.push_back(offsets_[count_]);
    ++count_;
  }
  uint32_t begin = offsets_[index], end = offsets_[index + 1];
  bytes_.resize(std::max<size_t>(bytes_.size(), offsets_[count_]));
  bytes_.erase(bytes_.begin() + begin, bytes_.begin() + end);
  bytes_.insert(bytes_.begin() + begin, text.begin(), text.end());
  int64_t delta = static_cast<int64_t>(text.size()) - (end - begin);
  for (uint32_t i = index + 1; i <= count_; ++i) {
    offsets_[i] = static_cast<uint32_t>(offsets_[i] + delta);
  }
  return true;
}

void CStringBank::CopyArrays(const CStringBank& other) {
  bytes_ = other.bytes_;
  offsets_ = other.offsets_;
  count_ = other.count_;
}
