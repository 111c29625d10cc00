#!/usr/bin/env bash
# Set-up for KORVA on Debian 12: installs what is missing, builds and stages the program
# folder, then runs the program or every test.
#   scripts/setup.sh run    build, then start KORVA from its program folder
#   scripts/setup.sh test   build, then run every test headless
#   scripts/setup.sh build  build only
#   scripts/setup.sh sanitize        build with AddressSanitizer and UndefinedBehaviorSanitizer
#                                    into build-sanitize and run every test; exit 0 only when
#                                    the tests pass and no process made a report
#   scripts/setup.sh fuzz [SECONDS]  build the libFuzzer targets with clang into build-fuzz and
#                                    run each for SECONDS (default 60)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
mode=${1:-build}
build=${KORVA_BUILD_DIR:-$here/build}

mapfile -t wanted < <(grep -Ev '^\s*(#|$)' "$here/scripts/packages.txt")
# The fuzzers build with clang and its sanitizer runtime; only that mode needs them.
[ "$mode" != fuzz ] || wanted+=(clang-14 libclang-rt-14-dev)
missing=()
for p in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

case "$mode" in
sanitize)
    build=${KORVA_SANITIZE_DIR:-$here/build-sanitize}
    logs="$build/sanitizer-logs"
    flags="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined"
    [ -f "$build/CMakeCache.txt" ] || cmake -S "$here" -B "$build" -G Ninja \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS="$flags" \
        -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
    cmake --build "$build" -- -k 0 | grep -Ev '^\[[0-9]+/[0-9]+\] ' || true
    cmake --build "$build" >/dev/null
    rm -rf "$logs" && mkdir -p "$logs"
    # Every process, children included, writes its reports to a file of its own.
    export ASAN_OPTIONS="log_path=$logs/asan:detect_leaks=1:abort_on_error=1"
    export LSAN_OPTIONS="suppressions=$here/scripts/lsan.supp:print_suppressions=0"
    export UBSAN_OPTIONS="log_path=$logs/ubsan:print_stacktrace=1:halt_on_error=1"
    export QT_QPA_PLATFORM=offscreen
    status=0
    (cd "$build" && ctest --output-on-failure --timeout 900 -j2) || status=$?
    reports=$(find "$logs" -type f -size +0 | wc -l)
    echo "sanitizer reports: $reports (in $logs)"
    [ "$reports" -eq 0 ] || { head -n 40 "$logs"/* >&2; status=1; }
    exit $status
    ;;
fuzz)
    seconds=${2:-60}
    build=${KORVA_FUZZ_DIR:-$here/build-fuzz}
    flags="-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer"
    [ -f "$build/CMakeCache.txt" ] || CC=clang-14 CXX=clang++-14 cmake -S "$here" -B "$build" \
        -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVA_FUZZ=ON \
        -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
        >/dev/null
    targets=(SendCommand Settings ProjectOpen)
    cmake --build "$build" --target korva_data "${targets[@]/#/fuzz_}"
    export QT_QPA_PLATFORM=offscreen
    export ASAN_OPTIONS="detect_leaks=0"
    status=0
    for t in "${targets[@]}"; do
        # New inputs go to the build folder's corpus; the committed seeds are only read.
        work="$build/corpus/$t"
        mkdir -p "$work" "$build/findings/$t"
        [ "$t" != ProjectOpen ] || cp -n "$build/KORVA/bin/RV27.mdb" "$work/template.cmb"
        echo "== fuzz_$t for ${seconds}s"
        (cd "$build" && "./fuzz/fuzz_$t" -max_total_time="$seconds" -print_final_stats=1 \
            -artifact_prefix="$build/findings/$t/" "$work" "$here/fuzz/corpus/$t") || status=1
    done
    exit $status
    ;;
esac

if [ ! -f "$build/CMakeCache.txt" ]; then
    # A compiler cache, where the machine has one, makes rebuilds of a fresh clone quick.
    launcher=()
    if command -v ccache >/dev/null; then
        export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$here} CCACHE_NOHASHDIR=1
        launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
    fi
    cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
fi
cmake --build "$build" -- -k 0 | grep -Ev '^\[[0-9]+/[0-9]+\] ' || true
cmake --build "$build" >/dev/null   # fails loudly if the build did not succeed

case "$mode" in
run)
    cd "$build/KORVA/bin"
    exec ./KORVA
    ;;
test)
    export QT_QPA_PLATFORM=offscreen
    cd "$build"
    exec ctest --output-on-failure --timeout 600 -j2
    ;;
build) ;;
*) echo "usage: $0 run|test|build|sanitize|fuzz [SECONDS]" >&2; exit 2 ;;
esac
