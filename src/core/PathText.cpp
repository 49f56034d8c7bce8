#include "core/PathText.h"

std::wstring Join(const std::wstring& folder, const std::wstring& name) {
    if (name.empty()) return folder;
    if (folder.empty()) return name;
    if (folder.back() == L'\\') return folder + name;
    return folder + L"\\" + name;
}
