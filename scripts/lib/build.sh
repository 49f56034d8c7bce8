# Configures and builds tavrix with MinGW: the 32-bit program and all its
# tests into build/, and the same sources for 64-bit Windows into
# build/win64, there only what the tests need (the program, the probe and
# the suites), which CTest in build/ runs as *_win64. Both trees are built
# as released (TAVRIX_RELEASE_FLAGS): the tests run the very programs the
# zips hold, and scripts/package takes them from there.
# TAVRIX_WIN64=0 leaves the 64-bit tree alone, for quick rounds on the
# 32-bit program.

# Optimised for size, unused code dropped: a launcher's time goes to the
# shell, not to its own code.
TAVRIX_RELEASE_FLAGS=(-DCMAKE_BUILD_TYPE=MinSizeRel -DCMAKE_CXX_FLAGS="-ffunction-sections -fdata-sections"
                      -DCMAKE_EXE_LINKER_FLAGS="-Wl,--gc-sections")

# Configures a build tree once: tavrix_configure <root> <dir> <toolchain> [cmake arguments...]
tavrix_configure() {
    local root=$1 dir=$2 toolchain=$3
    shift 3
    [ -f "$dir/build.ninja" ] && return 0
    cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain.cmake" "$@" >/dev/null
}

# The 32-bit tree: the program, its tests, benches and probe. Configured
# anew, too, when it was made before the 64-bit tree existed (it learns
# where that one is) or with other flags.
tavrix_configure_win32() {
    local root=$1
    local win64="$root/build/win64"
    if [ ! -f "$root/build/build.ninja" ] ||
        ! grep -q "^TAVRIX_WIN64_DIR:PATH=$win64\$" "$root/build/CMakeCache.txt" 2>/dev/null ||
        ! grep -q "^CMAKE_BUILD_TYPE:STRING=MinSizeRel\$" "$root/build/CMakeCache.txt" 2>/dev/null; then
        cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
            "${TAVRIX_RELEASE_FLAGS[@]}" -DTAVRIX_WIN64_DIR="$win64" >/dev/null
    fi
}

tavrix_configure_win64() {
    tavrix_configure "$1" "$1/build/win64" mingw-x86_64 "${TAVRIX_RELEASE_FLAGS[@]}"
}

tavrix_build() {
    local root=$1
    tavrix_configure_win32 "$root"
    cmake --build "$root/build"
    [ "${TAVRIX_WIN64:-1}" = 0 ] && return 0
    tavrix_configure_win64 "$root"
    cmake --build "$root/build/win64" --target tavrix_tested
}
