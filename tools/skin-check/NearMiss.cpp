#include "NearMiss.h"

#include <algorithm>
#include <cctype>

namespace tessaly::skincheck {
namespace {

char Lower(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

// Optimal string alignment distance, case-insensitive.
std::size_t EditDistance(std::string_view a, std::string_view b)
{
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i)
        d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j)
        d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i)
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t cost = Lower(a[i - 1]) == Lower(b[j - 1]) ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
            if (i > 1 && j > 1 && Lower(a[i - 1]) == Lower(b[j - 2]) && Lower(a[i - 2]) == Lower(b[j - 1]))
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    return d[a.size()][b.size()];
}

}  // namespace

std::string NearestName(std::string_view word, const std::vector<std::string_view>& candidates)
{
    const std::size_t allowed = std::max<std::size_t>(1, word.size() / 3);
    std::string_view best;
    std::size_t bestDistance = allowed + 1;
    for (std::string_view candidate : candidates) {
        const std::size_t distance = EditDistance(word, candidate);
        if (distance < bestDistance) {
            best = candidate;
            bestDistance = distance;
        }
    }
    return std::string(best);
}

std::string CaseVariantOf(std::string_view word, const std::vector<std::string_view>& candidates)
{
    for (std::string_view candidate : candidates)
        if (candidate.size() == word.size() &&
            std::equal(word.begin(), word.end(), candidate.begin(), [](char a, char b) { return Lower(a) == Lower(b); }))
            return std::string(candidate);
    return {};
}

std::string DidYouMean(std::string_view word, const std::vector<std::string_view>& candidates)
{
    const std::string nearest = NearestName(word, candidates);
    return nearest.empty() ? std::string() : " (did you mean \"" + nearest + "\"?)";
}

}  // namespace tessaly::skincheck
