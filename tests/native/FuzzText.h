// Turns fuzz bytes into a wide text: pairs of bytes are UTF-16 code units,
// so every character, valid or not, can turn up.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

inline std::wstring FuzzText(const uint8_t* data, size_t size) {
    std::wstring text;
    for (size_t i = 0; i + 1 < size; i += 2) text.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
    return text;
}
