#include "ui/FolderHandles.h"

#include <windows.h>

#include <mutex>
#include <unordered_map>
#include <utility>

namespace ui {

namespace {

struct TRegistry {
    std::mutex Lock;
    std::unordered_map<unsigned long long, std::wstring> Open;
    unsigned long long Next = 0;
};

// Never destroyed: a worker thread may let go of its handle after the
// program's statics are gone.
TRegistry& Registry() {
    static TRegistry* registry = new TRegistry;
    return *registry;
}

}  // namespace

bool PathInside(const std::wstring& path, const std::wstring& folder) {
    size_t n = folder.size();
    while (n > 0 && folder[n - 1] == L'\\') --n;  // "C:\" and "C:\x\" name their folder too
    if (n == 0 || path.size() < n) return false;
    if (path.size() > n && path[n] != L'\\') return false;
    return CompareStringOrdinal(path.c_str(), static_cast<int>(n), folder.c_str(), static_cast<int>(n), TRUE) ==
           CSTR_EQUAL;
}

TFolderHandleMark::TFolderHandleMark(const std::wstring& folder) {
    TRegistry& r = Registry();
    std::lock_guard<std::mutex> hold(r.Lock);
    FId = ++r.Next;
    r.Open.emplace(FId, folder);
}

TFolderHandleMark::TFolderHandleMark(TFolderHandleMark&& other) noexcept : FId(std::exchange(other.FId, 0)) {}

TFolderHandleMark& TFolderHandleMark::operator=(TFolderHandleMark&& other) noexcept {
    if (this != &other) {
        Reset();
        FId = std::exchange(other.FId, 0);
    }
    return *this;
}

void TFolderHandleMark::Reset() noexcept {
    if (!FId) return;
    TRegistry& r = Registry();
    std::lock_guard<std::mutex> hold(r.Lock);
    r.Open.erase(std::exchange(FId, 0));
}

int FolderHandlesInside(const std::wstring& folder) {
    TRegistry& r = Registry();
    std::lock_guard<std::mutex> hold(r.Lock);
    int n = 0;
    for (const auto& [id, path] : r.Open)
        if (PathInside(path, folder)) ++n;
    return n;
}

}  // namespace ui
