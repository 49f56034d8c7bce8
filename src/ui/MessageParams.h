// Pointers and handles travel as integers of pointer size: in message
// parameters and results, window longs and callback data. These two calls
// are where they change form, so a pointer is never squeezed into a
// narrower integer. What comes out must be asked as the type that went in.
#pragma once

#include <windows.h>

#include <type_traits>

namespace ui {

template <typename I = LPARAM, typename P>
I AsParam(P pointer) noexcept {
    static_assert(std::is_pointer_v<P> && std::is_integral_v<I> && sizeof(I) == sizeof(P));
    return reinterpret_cast<I>(pointer);
}

template <typename P, typename I>
P ParamAs(I value) noexcept {
    static_assert(std::is_pointer_v<P> && std::is_integral_v<I> && sizeof(I) == sizeof(P));
    return reinterpret_cast<P>(value);
}

}  // namespace ui
