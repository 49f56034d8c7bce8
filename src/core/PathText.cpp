#include "core/PathText.h"

std::wstring Join(const std::wstring& folder, const std::wstring& name) {
    if (name.empty()) return folder;
    if (folder.empty()) return name;
    if (folder.back() == L'\\') return folder + name;
    return folder + L"\\" + name;
}

std::wstring LastName(const std::wstring& path) {
    size_t end = path.size();
    while (end > 0 && (path[end - 1] == L'\\' || path[end - 1] == L'/')) --end;
    const size_t slash = path.find_last_of(L"\\/", end == 0 ? 0 : end - 1);
    const size_t start = slash == std::wstring::npos || end == 0 ? 0 : slash + 1;
    return path.substr(start, end - start);
}
