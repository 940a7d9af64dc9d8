#pragma once
// The two fixed reference texts of the concept scheme, shown read-only on the
// second and third tabs of the main window:
//  - the concept tree: the first four levels of the scheme drawn as a tree of
//    two-way splits, 14 lines;
//  - the concept table: a title, an empty line and the 32 groups, each a
//    heading and its eight concepts with codes and annotations, 321 lines.
//
// Source: concept_tree.txt and concept_table.txt beside this header, UTF-8,
// one line per text line, and every line, the last one included, ends with a
// single LF. The build embeds the files into the program and takes that last
// LF away, so the texts here hold their lines separated by "\n" with no line
// break after the last line; a file that does not end with LF, or that holds
// a CR, fails the build.
//
// The texts are constant, valid UTF-8 and every character exists in Big5
// (code page 950). Toolkit-free.
#include <string_view>
#include <vector>

namespace reference {

inline constexpr int kConceptTreeLineCount = 14;
inline constexpr int kConceptTableLineCount = 321;

std::string_view conceptTree() noexcept;
std::string_view conceptTable() noexcept;

// Splits a text at "\n": "a\nb" gives {"a", "b"}, "a\n" gives {"a", ""} and
// the empty text one empty line. The views point into `text`.
std::vector<std::string_view> splitLines(std::string_view text);

}  // namespace reference
