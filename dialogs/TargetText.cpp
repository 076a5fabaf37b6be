#include "dialogs/TargetText.h"

namespace vcl {

namespace {

// The first bytes of the double-byte characters of code page 932.
bool IsCp932LeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

} // namespace

std::string CleanTargetText(const std::string& text) {
    std::string clean(text);
    for (char& c : clean)
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    return clean;
}

std::string DropCutLeadByte(const std::string& text) {
    size_t i = 0;
    while (i < text.size()) {
        if (!IsCp932LeadByte(static_cast<unsigned char>(text[i]))) {
            ++i;
        } else if (i + 1 < text.size()) {
            i += 2;
        } else {
            return text.substr(0, i);
        }
    }
    return text;
}

std::string CandidateText(const std::string& title) { return CleanTargetText(DropCutLeadByte(title)); }

} // namespace vcl
