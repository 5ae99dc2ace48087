// The project's document versions: the versions of the documents a stream is written for, defined here once.
//
// Two application lines carry versions:
//   the older line: 21 versions numbered 0, 1, ..., 20;
//   the newer line: 20 versions numbered 300, 310, ..., 490 (steps of 10).
// Every newer-line version is above every older-line one, so "version >= N" tests work across both lines.
// The current version is the newest of the newer line (490).
//
// Classes keep tables of save versions indexed by a version's position within its line, oldest first; a version
// past the end of a table takes the table's last entry. Names: "current", "older:K", "newer:K" (K the position).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tavi {

using taviPelmarVersion = int32_t;

namespace docversion {

constexpr int32_t kOlderFirst = 0;
constexpr int32_t kOlderCount = 21;
constexpr int32_t kNewerFirst = 300;
constexpr int32_t kNewerStep = 10;
constexpr int32_t kNewerCount = 20;
constexpr int32_t kCurrent = kNewerFirst + kNewerStep * (kNewerCount - 1);

// The version at position k of each line (k need not be within the line's count: later versions continue the
// numbering).
constexpr int32_t Older(int32_t k) {
    return kOlderFirst + k;
}
constexpr int32_t Newer(int32_t k) {
    return kNewerFirst + kNewerStep * k;
}

// A version belongs to the newer line from kNewerFirst on; everything below belongs to the older line.
constexpr bool IsNewerLine(int32_t version) {
    return version >= kNewerFirst;
}

// The position of a version within its line. Versions below the older line's first count as its first; a newer-line
// number between two steps counts as the step below it.
constexpr int32_t PositionInLine(int32_t version) {
    if (IsNewerLine(version))
        return (version - kNewerFirst) / kNewerStep;
    return version < kOlderFirst ? 0 : version - kOlderFirst;
}

// The position of a version in the one sequence of both lines: the older line first, then the newer line counted
// after all kOlderCount older-line versions. Older-line numbers past the line's last version (21..299) count as its
// last, so that a newer-line version always lies after them.
constexpr int32_t PositionInBothLines(int32_t version) {
    if (IsNewerLine(version))
        return kOlderCount + PositionInLine(version);
    int32_t position = PositionInLine(version);
    return position < kOlderCount ? position : kOlderCount - 1;
}

// "current" for kCurrent, "newer:K" or "older:K" otherwise (an unnamed number, such as 305, as its decimal text).
std::string Name(int32_t version);
// Parses "current", "newer:K", "older:K" (K a decimal position, 0 or more) or a plain decimal version number.
std::optional<int32_t> FromName(std::string_view name);

} // namespace docversion
} // namespace tavi
