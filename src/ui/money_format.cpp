#include "ui/money_format.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "engine/files/text_bank.h"
#include "ui/ui_services.h"

namespace {

struct CurrencyFormat {
  std::string symbol = "$";
  bool before = true;
};

CurrencyFormat& Format() {
  static CurrencyFormat format;
  return format;
}

std::string Place(bool negative, const char* number) {
  const CurrencyFormat& f = Format();
  std::string out = negative ? "-" : "";
  if (f.before) return out + f.symbol + number;
  return out + number + f.symbol;
}

}  // namespace

void LoadCurrencyFormat() {
  CTextSystem* text = Ui().text;
  if (text == nullptr) return;
  std::string symbol, side;
  text->GetTextAscii(symbol, kCurrencySymbolText);
  text->GetTextAscii(side, kCurrencySideText);
  SetCurrencyFormat(symbol, !side.empty() && side[0] == 'l');
}

void SetCurrencyFormat(const std::string& symbol, bool before) {
  // A symbol is a short text; a damaged bank must not make every amount huge.
  Format().symbol = symbol.substr(0, 15);
  Format().before = before;
}

std::string FormatMoney(int32_t amount) {
  char number[16];
  // The magnitude of the smallest amount does not fit 32 bits.
  std::snprintf(number, sizeof number, "%lld", std::llabs(static_cast<long long>(amount)));
  return Place(amount < 0, number);
}

std::string FormatMoneyDecimal(float amount) {
  char number[64];
  // The magnitude alone: fabs also takes the sign off a negative zero.
  std::snprintf(number, sizeof number, "%.2f", std::fabs(double(amount)));
  // -0.004 shows as 0.00: a minus sign there would be a sign of nothing.
  const bool zero = std::strtod(number, nullptr) == 0.0;
  return Place(amount < 0 && !zero, number);
}
