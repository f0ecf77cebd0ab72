#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tallux {

// Code 128 symbol values that are not data.
inline constexpr int kCode128ToC = 99;
inline constexpr int kCode128ToB = 100;
inline constexpr int kCode128ToA = 101;
inline constexpr int kCode128StartA = 103;
inline constexpr int kCode128StartB = 104;
inline constexpr int kCode128StartC = 105;
inline constexpr int kCode128Stop = 106;

// Longest data text a barcode takes.
inline constexpr std::size_t kCode128MaxText = 60;

struct Code128Symbol {
    int value = 0;
    // What is printed beneath it: one character in code sets A and B, two
    // digits in code set C, nothing for start and code-change symbols.
    std::string shown;
    bool digitPair = false;  // code set C: shown in the digit font
};

struct Code128Symbols {
    // From the start symbol to the last data symbol, code changes included.
    std::vector<Code128Symbol> symbols;
    int check = 0;
    // The whole text in code set A without a script; such barcodes clamp
    // their bar height.
    bool plainSetA = false;
};

// Bar and space widths in modules, bar first: 11 modules per symbol, 13
// for the stop symbol with its final bar. Empty outside 0–106.
std::string_view Code128Pattern(int value);

// (start value + Σ position × value) mod 103 over the symbols after the
// start symbol.
int Code128Check(const std::vector<Code128Symbol>& symbols);

// The code-set script that puts the longest digit run (6 or more; the last
// of equally long ones) into code set C, made even by leaving its first
// digit to code set B; "B" when there is no such run.
std::string Code128AutomaticScript(std::string_view text);

// Encodes by a script: items of a letter A, B or C (either case) and an
// optional count of one or two digits; an item without a count takes the
// rest and ends the script. Fails on a repeated code set, a character its set cannot take, an
// odd or non-digit code-set-C span, and a script that does not cover the
// text exactly.
std::optional<Code128Symbols> EncodeCode128Script(std::string_view text, std::string_view script);

// The whole text in code set A (characters 32–95).
std::optional<Code128Symbols> EncodeCode128SetA(std::string_view text);

// The encoding a barcode of text uses: the script when one is given,
// otherwise code set A for short upper-case texts and the automatic B/C
// script for the rest. Fails on an empty text or one over 60 characters.
std::optional<Code128Symbols> EncodeCode128(std::string_view text, bool noText, std::string_view script = {});

}  // namespace tallux
