# Sourced by test.sh and run.sh: configures and builds the three trees.
#   build/native       the packer and the icon tool (plain, optimised), benchmarks
#   build/native-asan  native tests under AddressSanitizer and UBSan, fuzzing
#   build/win32        setup.exe, the Windows tools and test programs
# tools/make-setup.sh adds a fourth cross tree of its own (build/make-setup).

# A compiler cache, when the machine has one, makes rebuilds in other
# checkouts of the tree cheap.
_nelvo_launcher() {
  if command -v ccache >/dev/null 2>&1; then
    echo -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache
  fi
}

# The native trees and the plain one's tools, which every cross tree packs
# its resources with.
nelvo_build_native() {
  local jobs
  jobs=$(nproc 2>/dev/null || echo 2)
  local native=(-G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++)
  # shellcheck disable=SC2207
  native+=($(_nelvo_launcher))
  [ -f build/native/build.ninja ] || cmake -S . -B build/native "${native[@]}" -DNELVO_SANITIZE=OFF \
    -DCMAKE_BUILD_TYPE=Release >/dev/null || return 1
  [ -f build/native-asan/build.ninja ] || cmake -S . -B build/native-asan "${native[@]}" -DNELVO_SANITIZE=ON \
    >/dev/null || return 1
  echo "build: native tools" >&2
  ninja -C build/native -j"$jobs" --quiet || return 1
}

# nelvo_configure_cross DIR [CMAKE ARGUMENTS...]: a cross tree in DIR, once.
nelvo_configure_cross() {
  local dir=$1
  shift
  # shellcheck disable=SC2046
  [ -f "$dir/build.ninja" ] || cmake -S . -B "$dir" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake $(_nelvo_launcher) "$@" >/dev/null
}

nelvo_build() {
  local jobs
  jobs=$(nproc 2>/dev/null || echo 2)
  nelvo_build_native || return 1
  # The cross tree packs its resources with the native packer just built.
  nelvo_configure_cross build/win32 || return 1
  echo "build: setup.exe and the Windows programs" >&2
  ninja -C build/win32 -j"$jobs" --quiet || return 1
}

nelvo_build_native_tests() {
  local jobs
  jobs=$(nproc 2>/dev/null || echo 2)
  echo "build: native tests" >&2
  ninja -C build/native-asan -j"$jobs" --quiet
}
