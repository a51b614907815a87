#include "sections/system/window_list.h"

#include "core/text/unicode.h"

#include <algorithm>

namespace sections {

namespace {

// The caption and the class were read into 40-character buffers, the last for the terminator.
constexpr int kTextLimit = 39;

// The first `limit` characters; a character outside the basic plane counts once and is never
// split.
std::string_view firstCharacters(std::string_view text, int limit)
{
    const auto* start = reinterpret_cast<const unsigned char*>(text.data());
    const unsigned char* end = start + text.size();
    const unsigned char* p = start;
    for (int count = 0; p < end && count < limit; ++count)
        core::text::decodeUtf8(p, end);
    return text.substr(0, static_cast<std::size_t>(p - start));
}

} // namespace

std::string windowListLine(const core::TopLevelWindow& window)
{
    return std::to_string(window.processId) + std::string(8, ' ') +
           std::string(firstCharacters(window.caption, kTextLimit)) + std::string(4, ' ') +
           std::string(firstCharacters(window.className, kTextLimit));
}

void sortWindowList(std::vector<std::string>& lines)
{
    std::vector<std::pair<std::u16string, std::string>> keyed;
    keyed.reserve(lines.size());
    for (std::string& line : lines)
        keyed.emplace_back(core::text::toUtf16(line), std::move(line));
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return core::text::compareNoCase(a.first, b.first) < 0; });
    for (std::size_t i = 0; i < lines.size(); ++i)
        lines[i] = std::move(keyed[i].second);
}

std::int64_t processIdOfLine(std::string_view line)
{
    constexpr std::int64_t kLargest = 0xFFFFFFFF;
    std::int64_t id = 0;
    for (const char c : line) {
        if (c < '0' || c > '9')
            break;
        id = id * 10 + (c - '0');
        if (id > kLargest)
            return 0;
    }
    return id;
}

} // namespace sections
