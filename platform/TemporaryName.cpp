#include "platform/TemporaryName.h"

#include <algorithm>

namespace {

constexpr std::string_view kReplacementSuffix = ".tmp";
constexpr std::string_view kFirstCopySuffix = ".new";
// A pid_t holds at most 2^31 - 1; nine digits always fit, and no kernel hands out more.
constexpr std::size_t kLongestPid = 9;

bool allDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool endsWith(std::string_view text, std::string_view suffix)
{
    return text.size() > suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

} // namespace

std::string TemporaryName::beside(const std::string& target, pid_t writer, int attempt, Kind kind)
{
    return target + "." + std::to_string(writer) + "." + std::to_string(attempt)
           + std::string(kind == Kind::Replacement ? kReplacementSuffix : kFirstCopySuffix);
}

std::optional<pid_t> TemporaryName::writerOf(std::string_view entry, std::string_view baseName)
{
    if (entry.size() <= baseName.size() + 1 || entry.substr(0, baseName.size()) != baseName
        || entry[baseName.size()] != '.')
        return std::nullopt;
    entry.remove_prefix(baseName.size() + 1);
    if (endsWith(entry, kReplacementSuffix))
        entry.remove_suffix(kReplacementSuffix.size());
    else if (endsWith(entry, kFirstCopySuffix))
        entry.remove_suffix(kFirstCopySuffix.size());
    else
        return std::nullopt;
    const std::size_t dot = entry.find('.');
    if (dot == std::string_view::npos || dot > kLongestPid || !allDigits(entry.substr(0, dot))
        || !allDigits(entry.substr(dot + 1)))
        return std::nullopt;
    pid_t pid = 0;
    for (const char digit : entry.substr(0, dot))
        pid = pid * 10 + (digit - '0');
    if (pid <= 0)
        return std::nullopt;
    return pid;
}
