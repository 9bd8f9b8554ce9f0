#pragma once

#include <string>
#include <string_view>
#include <vector>

// The text form of the individual picture list: every path followed by CR LF.

// Candidates are at least this long (shorter pieces cannot be a full path).
inline constexpr size_t kMinIndividualPathLength = 4;

// Every path followed by CR LF, in the given order.
std::wstring IndividualListText(const std::vector<std::wstring>& paths);

// The paths of a stored list text: every CR removed, the rest cut at each LF; each piece that
// an LF ends and that is at least kMinIndividualPathLength long is a candidate, in text order.
// Text after the last LF is not a candidate.
std::vector<std::wstring> IndividualListCandidates(std::wstring_view text);
