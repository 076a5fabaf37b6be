// Fuzz target for the settings rules: any byte string goes through the number
// rule, the bracket rule and, read as a UTF-16 path, the name scans. Besides
// running under the sanitizers, each result is checked against a plainly
// written reference or against the invariants the callers depend on; a
// mismatch aborts.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "settings/IniRules.h"

using namespace vcl::ini;

namespace {

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "inirules_fuzz: %s\n", what);
        std::abort();
    }
}

bool IsDec(char c) { return c >= '0' && c <= '9'; }
bool IsHex(char c) { return IsDec(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// The number rule written the long way: normalise, then check the shape and
// convert with the C library.
bool ReferenceNumber(std::string t, int32_t& out) {
    if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) t = "$" + t.substr(2);
    t.erase(0, t.find_first_not_of(' ') == std::string::npos ? t.size() : t.find_first_not_of(' '));
    if (!t.empty() && t[0] == '$') {
        std::string digits = t.substr(1);
        if (digits.empty()) return false;
        for (char c : digits)
            if (!IsHex(c)) return false;
        digits.erase(0, digits.find_first_not_of('0') == std::string::npos ? digits.size() - 1
                                                                             : digits.find_first_not_of('0'));
        if (digits.size() > 8) return false;
        const uint32_t bits = static_cast<uint32_t>(std::strtoul(digits.c_str(), nullptr, 16));
        std::memcpy(&out, &bits, sizeof out);
        return true;
    }
    std::string digits = t;
    if (!digits.empty() && (digits[0] == '+' || digits[0] == '-')) digits.erase(0, 1);
    if (digits.empty()) return false;
    for (char c : digits)
        if (!IsDec(c)) return false;
    digits.erase(0, digits.find_first_not_of('0') == std::string::npos ? digits.size() - 1
                                                                         : digits.find_first_not_of('0'));
    if (digits.size() > 10) return false;
    long long v = std::strtoll(digits.c_str(), nullptr, 10);
    if (t[0] == '-') v = -v;
    if (v < INT32_MIN || v > INT32_MAX) return false;
    out = static_cast<int32_t>(v);
    return true;
}

void CheckScan(const std::wstring& s) {
    const NameParts parts = ScanName(s);
    Check(parts.dirEnd <= s.size(), "directory part longer than the name");
    if (parts.dot != std::wstring::npos)
        Check(parts.dot >= parts.dirEnd && parts.dot < s.size() && s[parts.dot] == L'.', "extension misplaced");
    const std::wstring ini = DefaultIniName(s);
    Check(ini.size() >= 4 && ini.compare(ini.size() - 4, 4, L".ini") == 0, "default name without .ini");
    Check(ini.size() <= s.size() - parts.dirEnd + 4, "default name longer than the file name");
    Check(DirectoryPart(s) + ini.substr(0, ini.size() - 4) ==
              s.substr(0, parts.dot == std::wstring::npos ? s.size() : parts.dot),
          "directory part and default name do not rebuild the path");
    Check(HasDirectoryPart(s) == (parts.dirEnd > 0), "directory part test");
    // Every unit is a whole character: the scan is a plain search from the end.
    const std::size_t sep = s.find_last_of(L":\\");
    Check(parts.dirEnd == (sep == std::wstring::npos ? 0 : sep + 1), "directory part differs from search");
    const std::size_t dot = s.find_last_of(L'.');
    Check(parts.dot == (dot != std::wstring::npos && dot >= parts.dirEnd ? dot : std::wstring::npos),
          "extension differs from search");
}

// The input as a path two ways: one unit per byte (separators and dots come
// often), and one unit per pair of bytes (any UTF-16 unit, surrogates included).
std::wstring UnitPerByte(const std::string& s) {
    std::wstring w;
    for (unsigned char c : s) w += static_cast<wchar_t>(c);
    return w;
}
std::wstring UnitPerPair(const std::string& s) {
    std::wstring w;
    for (std::size_t i = 0; i + 1 < s.size(); i += 2)
        w += static_cast<wchar_t>(static_cast<unsigned char>(s[i]) << 8 | static_cast<unsigned char>(s[i + 1]));
    return w;
}

int32_t Int32At(const uint8_t* data, std::size_t size, std::size_t at) {
    uint32_t bits = 0;
    for (std::size_t i = 0; i < 4; ++i) bits = bits << 8 | (at + i < size ? data[at + i] : 0u);
    int32_t v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string s(reinterpret_cast<const char*>(data), size);

    int32_t got = 0x5A5A5A5A, want = 0;
    const bool converts = ParseNumber(s, got);
    Check(converts == ReferenceNumber(s, want), "number rule disagrees on whether the text converts");
    if (converts) Check(got == want, "number rule disagrees on the value");
    else Check(got == 0x5A5A5A5A && NumberOr(s, -3) == -3, "a failed conversion touched the value");

    const int32_t n = Int32At(data, size, 0);
    int32_t back = 0;
    Check(ParseNumber(NumberText(n), back) && back == n, "number text does not read back");

    Check(Unbracketed(Bracketed(s)) == s, "bracketed text does not read back");
    const std::string plain = Unbracketed(s);
    Check(plain == s || plain == (s.size() == 2 ? std::string() : s.substr(1, s.size() - 2)),
          "more than one pair taken off");

    CheckScan(UnitPerByte(s));
    CheckScan(UnitPerPair(s));

    const int32_t current = Int32At(data, size, 4) & 0xFFFFF;  // a list's length is never negative
    const int32_t bounded = BoundListCount(n, current);
    Check(bounded >= 0 && bounded <= (kMaxListCount > current ? kMaxListCount : current),
          "list count outside its bound");
    Check(n <= 0 ? bounded == 0 : bounded == n || bounded >= kMaxListCount, "list count cut below the bound");
    Check(ListEntryKey(s, n) == s + "." + std::to_string(n), "entry key");
    return 0;
}
