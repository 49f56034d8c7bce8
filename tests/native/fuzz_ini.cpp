// Every INI value through the program's readers: numbers (and what they
// become as the window rectangle), and working-folder paths.
#include <vector>

#include "FuzzText.h"
#include "core/Placement.h"
#include "core/OptionsValues.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring text = FuzzText(data, size);
    int32_t values[4] = {50, 20, 300, 400};
    size_t start = 0;
    for (int i = 0; i < 4; ++i) {
        size_t end = text.find(L';', start);
        int32_t v = 0;
        if (ParseIniInteger(text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start), v))
            values[i] = v;
        if (end == std::wstring::npos) break;
        start = end + 1;
    }
    const std::vector<TPlaceRect> monitors{{0, 0, 1280, 1024}, {-1920, 0, 0, 1080}};
    UsableWindowRect({values[0], values[1], values[2], values[3]}, {-1920, 0, 1280, 1080}, monitors);
    ComposeWorkingFolder(text);
    return 0;
}
