#!/bin/sh
# Builds Tintwright for Windows (build/win) and, with --native, the portable code with
# sanitizers and fuzz targets for this machine (build/native).
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)

cmake -S "$root" -B "$root/build/win" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" ${TW_WIN_CMAKE_ARGS:--DTW_BUILD_TESTS=ON} >/dev/null
cmake --build "$root/build/win" -j "$jobs"

if [ "$1" = "--native" ]; then
    cmake -S "$root" -B "$root/build/native" -DCMAKE_BUILD_TYPE=Debug \
          -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
          -DTW_SANITIZE=ON -DTW_FUZZ=ON >/dev/null
    cmake --build "$root/build/native" -j "$jobs"
fi
