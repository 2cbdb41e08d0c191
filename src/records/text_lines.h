// The lines and words of the program's own text files (replays and the ranking): split as they
// are read, and numbers taken strictly, so that a damaged file is refused, never half-read.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The text's lines without their line ends ("\n", or "\r\n" from an editor that adds it). A
// text that ends in a line end has no empty last line.
std::vector<std::string_view> SplitLines(std::string_view text);

// "line N: what" for the line at the index, counted from 1 for the reader.
std::string OnLine(std::size_t index, const std::string& what);

// What is wrong with the first line of a file of the kind ("replay", "ranking"), which must be
// "velmora KIND VERSION" with the version given, on line 1; an empty text when nothing is.
std::string CheckHeading(const std::vector<std::string_view>& lines, std::string_view kind,
                         std::uint32_t version);

// The words of a line, split at single spaces; an empty word stands for a doubled space.
std::vector<std::string_view> SplitWords(std::string_view line);

// A decimal number of at most ten digits, without sign or spaces, no larger than `largest`.
bool ReadNumber(std::string_view word, std::uint32_t largest, std::uint32_t& number);

// One to eight hexadecimal digits.
bool ReadHex(std::string_view word, std::uint32_t& number);

// A word that names a file in the data folder: letters, digits, '-', '_' and '.', not first, at
// most 64 characters. Nothing else may come from a file that the program reads, deletes or
// writes by name.
bool IsPlainFileName(std::string_view word);

// A date as the program writes it, 2026-12-08T04:41:01Z (digits where this has digits).
bool IsDate(std::string_view word);

// A grade as a word: its label without the leading space (" 9" is "9", then "S1" to "ZN").
std::string GradeWord(std::uint32_t grade);
bool ReadGrade(std::string_view word, std::uint32_t& grade);
