#!/usr/bin/env bash
# Builds the Debian package korva_<version>_amd64.deb (program under /opt/korva, the korva
# command, desktop entry and icon under /usr) into build/package/, and prints its path.
#   scripts/package.sh [OUTPUT_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${KORVA_BUILD_DIR:-$here/build}
out=${1:-$build/package}

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" --target KORVA korvactl korva-devsim korva_data korva_dist >/dev/null
mkdir -p "$out"
(cd "$build" && cpack -G DEB -B "$out" >/dev/null)
rm -rf "$out/_CPack_Packages"
ls "$out"/korva_*_amd64.deb
