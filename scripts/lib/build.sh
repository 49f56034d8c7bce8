# Configures and builds tavrix into build/ with the MinGW toolchain.
tavrix_build() {
    local root=$1
    if [ ! -f "$root/build/build.ninja" ]; then
        cmake -S "$root" -B "$root/build" -G Ninja \
            -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
    fi
    cmake --build "$root/build"
}
