// The mask compiler and matcher with any mask and any name: either an
// EMaskException or an answer, never a crash or a sanitizer report.
#include "FuzzText.h"
#include "core/Masks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring text = FuzzText(data, size);
    const size_t split = text.find(L'\n');
    const std::wstring mask = text.substr(0, split);
    const std::wstring name = split == std::wstring::npos ? std::wstring(L"name.txt") : text.substr(split + 1);
    try {
        TMask compiled(mask);
        compiled.Matches(name);
        MatchesMask(name, mask);
    } catch (const EMaskException&) {
    }
    return 0;
}
