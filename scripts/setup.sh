#!/usr/bin/env bash
# Set-up for KORVA on Debian 12: installs what is missing, builds and stages the program
# folder, then runs the program or every test.
#   scripts/setup.sh run    build, then start KORVA from its program folder
#   scripts/setup.sh test   build, then run every test headless
#   scripts/setup.sh build  build only
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
mode=${1:-build}
build=${KORVA_BUILD_DIR:-$here/build}

mapfile -t wanted < <(grep -Ev '^\s*(#|$)' "$here/scripts/packages.txt")
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

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
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
*) echo "usage: $0 run|test|build" >&2; exit 2 ;;
esac
