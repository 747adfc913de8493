#pragma once
// Amounts of money as text, with the board's currency symbol on the side its
// texts give (text 2234 the symbol; text 2235 beginning with "l" puts it
// before the number, anything else after). Results come back by value.
#include <cstdint>
#include <string>

inline constexpr int32_t kCurrencySymbolText = 2234;
inline constexpr int32_t kCurrencySideText = 2235;

// Reads the symbol and its side from the current text bank.
void LoadCurrencyFormat();
// Sets them directly (tests, and boards that carry no texts).
void SetCurrencyFormat(const std::string& symbol, bool before);
std::string FormatMoney(int32_t amount);
// Two decimals; an amount that rounds to zero has no minus sign.
std::string FormatMoneyDecimal(float amount);
