#include "settings/IniRules.h"

#include <algorithm>

namespace vcl {
namespace ini {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "$" digits from `i` on: at most 8 significant hex digits, read as a 32-bit pattern.
bool ParseHex(const std::string& s, std::size_t i, int32_t& value) {
    if (i >= s.size()) return false;
    uint32_t bits = 0;
    int significant = 0;
    for (; i < s.size(); ++i) {
        const int d = HexDigit(s[i]);
        if (d < 0) return false;
        if (significant == 0 && d == 0) continue;  // leading zeros do not count
        if (++significant > 8) return false;
        bits = (bits << 4) | static_cast<uint32_t>(d);
    }
    // The pattern as a signed value, without relying on an out-of-range conversion.
    value = bits <= 0x7FFFFFFFu ? static_cast<int32_t>(bits)
                                : -static_cast<int32_t>(~bits) - 1;
    return true;
}

// Optional sign and decimal digits from `i` on, within the 32-bit signed range.
bool ParseDecimal(const std::string& s, std::size_t i, int32_t& value) {
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    if (i >= s.size()) return false;
    const int64_t limit = negative ? 2147483648LL : 2147483647LL;
    int64_t magnitude = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9') return false;
        magnitude = magnitude * 10 + (s[i] - '0');
        if (magnitude > limit) return false;  // stops before any overflow
    }
    value = static_cast<int32_t>(negative ? -magnitude : magnitude);
    return true;
}

} // namespace

bool ParseNumber(const std::string& text, int32_t& value) {
    // A C-style "0x" prefix stands for "$"; it only counts at the very start.
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        return ParseHex(text, 2, value);
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    if (i < text.size() && text[i] == '$') return ParseHex(text, i + 1, value);
    return ParseDecimal(text, i, value);
}

int32_t NumberOr(const std::string& text, int32_t def) {
    int32_t value = def;
    return ParseNumber(text, value) ? value : def;
}

std::string NumberText(int32_t value) {
    // Built by hand: the digits of the magnitude, taken as 64-bit so that
    // -2147483648 needs no special case.
    int64_t magnitude = value < 0 ? -static_cast<int64_t>(value) : value;
    std::string digits;
    do {
        digits += static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) digits += '-';
    std::reverse(digits.begin(), digits.end());
    return digits;
}

std::string Bracketed(const std::string& text) {
    std::string stored;
    stored.reserve(text.size() + 2);
    stored += kOpenBracket;
    stored += text;
    stored += kCloseBracket;
    return stored;
}

std::string Unbracketed(const std::string& stored) {
    const std::size_t n = stored.size();
    if (n < 2) return stored;
    const char first = stored.front();
    const char last = stored.back();
    const bool pair = (first == '"' && last == '"') || (first == kOpenBracket && last == kCloseBracket);
    if (!pair) return stored;
    return n == 2 ? std::string() : stored.substr(1, n - 2);
}

NameParts ScanName(const std::wstring& path) {
    NameParts parts;
    for (std::size_t i = 0; i < path.size(); ++i) {
        const wchar_t c = path[i];
        if (c == L':' || c == L'\\') {
            parts.dirEnd = i + 1;
            parts.dot = std::string::npos;
        } else if (c == L'.') {
            parts.dot = i;
        }
    }
    return parts;
}

std::wstring DirectoryPart(const std::wstring& path) { return path.substr(0, ScanName(path).dirEnd); }

std::wstring DefaultIniName(const std::wstring& exePath) {
    const NameParts parts = ScanName(exePath);
    const std::size_t end = parts.dot == std::string::npos ? exePath.size() : parts.dot;
    return exePath.substr(parts.dirEnd, end - parts.dirEnd) + L".ini";
}

std::string ListCountKey(const std::string& name) { return name + ".Count"; }

std::string ListEntryKey(const std::string& name, int32_t index) {
    return name + "." + NumberText(index);
}

int32_t BoundListCount(int32_t count, int32_t current) {
    if (count <= 0) return 0;
    return std::min(count, std::max(kMaxListCount, current));
}

} // namespace ini
} // namespace vcl
