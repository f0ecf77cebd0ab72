#include "net/CookieJar.h"

#include "net/HttpTransport.h"

namespace tallux {
namespace {

// Old entries are only kept while this much room is left.
constexpr std::size_t kMergeReserve = 64;

std::string_view EntryName(std::string_view entry) { return entry.substr(0, entry.find('=')); }

// Whether jar already has an entry of this name. Names are matched whole,
// so an old "ID" is not dropped because the jar holds "SID".
bool HasEntryNamed(std::string_view jar, std::string_view name) {
    std::size_t from = 0;
    while (from < jar.size()) {
        std::size_t end = jar.find(';', from);
        if (end == std::string_view::npos) end = jar.size();
        std::string_view entry = jar.substr(from, end - from);
        while (!entry.empty() && (entry.front() == ' ' || entry.front() == '\t')) entry.remove_prefix(1);
        if (EntryName(entry) == name) return true;
        from = end + 1;
    }
    return false;
}

}  // namespace

void MergeSetCookies(std::string& jar, std::string_view header, std::size_t capacity) {
    std::string merged = CookiesFromHeader(header);
    if (merged.empty() || merged.size() >= capacity) {
        if (!jar.empty() && jar.back() == ';') jar.pop_back();
        return;
    }

    std::string_view old = jar;
    std::size_t from = 0;
    while (from < old.size() && capacity - merged.size() > kMergeReserve) {
        while (from < old.size() && (old[from] == ' ' || old[from] == '\t')) ++from;
        std::size_t end = old.find(';', from);
        if (end == std::string_view::npos) end = old.size();
        std::string_view entry = old.substr(from, end - from);
        from = end + 1;
        while (!entry.empty() &&
               (entry.back() == ' ' || entry.back() == '\t' || entry.back() == '\r' || entry.back() == '\n'))
            entry.remove_suffix(1);
        if (entry.empty() || HasEntryNamed(merged, EntryName(entry))) continue;
        if (entry.size() + 1 >= capacity - merged.size()) break;
        merged.append(entry);
        merged += ';';
    }
    jar = std::move(merged);
    if (!jar.empty() && jar.back() == ';') jar.pop_back();
}

std::string CookieLineText(std::string_view jar) {
    while (!jar.empty() && (jar.back() == '\r' || jar.back() == '\n' || jar.back() == ' ' || jar.back() == ';'))
        jar.remove_suffix(1);
    if (jar.size() <= 2) return {};
    return std::string(jar);
}

}  // namespace tallux
