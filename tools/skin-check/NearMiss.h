#pragma once
// "Did you mean": the known name closest to a misspelt one.
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly::skincheck {

// The candidate nearest to `word` (letter case ignored, a swap of two neighbours counts as one
// edit) when it is near enough to be a slip: at most one edit for short names, about a third of
// the letters for longer ones. Empty when none is.
std::string NearestName(std::string_view word, const std::vector<std::string_view>& candidates);

// The candidate that `word` matches when letter case is ignored, or empty.
std::string CaseVariantOf(std::string_view word, const std::vector<std::string_view>& candidates);

// " (did you mean \"X\"?)" for the nearest candidate, or empty.
std::string DidYouMean(std::string_view word, const std::vector<std::string_view>& candidates);

}  // namespace tessaly::skincheck
