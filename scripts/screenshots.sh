#!/usr/bin/env bash
# Screenshots for a visual check of the windows, in Traditional Chinese, Simplified Chinese and
# English, at 100 % and at 150 % (QT_SCALE_FACTOR=1.5), under a virtual X server:
#   scripts/screenshots.sh [OUT_DIR]     (default: build/screenshots)
# For each language and scale (OUT_DIR/<language> and OUT_DIR/<language>@1.5): a copy of the staged program folder with AppliedLangName set, the
# program itself started and the whole screen taken (splash, then the main window), and every
# window rendered on its own by korva-shots (main window, each menu, options, text input).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${KORVA_BUILD_DIR:-$here/build}
out=${1:-$build/screenshots}
[ -f "$build/CMakeCache.txt" ] || cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target KORVA korvactl korva-devsim korva-shots korva_data >/dev/null
mkdir -p "$out"
# The whole-screen shots take ImageMagick's import; it is needed only here, so it is installed here.
if ! command -v import >/dev/null; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends imagemagick >/dev/null
fi

for lang in ChineseBig5 ChineseGB English; do
for scale in 1 1.5; do
    export QT_SCALE_FACTOR=$scale
    shots="$out/$lang"
    [ "$scale" = 1 ] || shots="$out/$lang@$scale"
    dir=$(mktemp -d)
    cp "$build/KORVA/bin/"{KORVA,korvactl,korva-devsim,KORVA.ml,KORVA.sdb,RV27.mdb} "$dir/"
    sed "s/^AppliedLangName=.*/AppliedLangName=$lang\r/" "$build/KORVA/bin/KORVA.set" > "$dir/KORVA.set"
    mkdir -p "$shots"
    # The program as a user starts it; its placement goes to a private settings home.
    cat > "$dir/run.sh" <<RUN
cd "$dir"
export XDG_CONFIG_HOME="$dir/config"
./KORVA & pid=\$!
sleep 1;   import -window root "$shots/screen-splash.png"
sleep 3.5; import -window root "$shots/screen-main.png"
kill \$pid
RUN
    xvfb-run -a -s "-screen 0 1280x800x24" bash "$dir/run.sh"
    xvfb-run -a -s "-screen 0 1280x800x24" "$build/tools/shots/korva-shots" "$dir" "$shots"
    rm -rf "$dir"
done
done
echo "Screenshots in $out"
