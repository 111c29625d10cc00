#!/usr/bin/env bash
# deb_test.sh BUILD_DIR: packs the built program, unpacks it into a temporary root and checks it.
set -euo pipefail
build=$1
tmp=$(mktemp -d)
trap 'chmod -R u+w "$tmp"; rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$tmp/out" >/dev/null)
deb=$(ls "$tmp"/out/korva_*_amd64.deb)
[ -n "$deb" ] || fail "no korva_<version>_amd64.deb"
dpkg-deb -x "$deb" "$tmp/root"
root=$tmp/root

for f in KORVA korvactl korva-devsim; do
    [ -x "$root/opt/korva/bin/$f" ] || fail "/opt/korva/bin/$f missing or not executable"
done
for f in KORVA.set KORVA.ml KORVA.sdb RV27.mdb korva-installed; do
    [ -f "$root/opt/korva/bin/$f" ] || fail "/opt/korva/bin/$f missing"
done
[ "$(sqlite3 "$root/opt/korva/bin/KORVA.sdb" 'SELECT count(*) FROM MRUList')" = 0 ] ||
    fail "the packaged system database carries recent files"
[ "$(readlink -f "$root/usr/bin/korva")" = "$(readlink -f "$root/opt/korva/bin/KORVA")" ] ||
    fail "/usr/bin/korva does not lead to /opt/korva/bin/KORVA"
desktop=$root/usr/share/applications/korva.desktop
grep -qx 'Exec=/opt/korva/bin/KORVA' "$desktop" || fail "desktop entry's Exec"
grep -qx 'Name\[zh_TW\]=KORVA 簡訊報警機設定' "$desktop" || fail "desktop entry's Chinese name"
grep -qx 'Icon=korva' "$desktop" || fail "desktop entry's icon"
[ -f "$root/usr/share/icons/hicolor/scalable/apps/korva.svg" ] || fail "icon missing"
if command -v desktop-file-validate >/dev/null; then desktop-file-validate "$desktop"; fi

depends=$(dpkg-deb -f "$deb" Depends)
for d in libqt6widgets6 libqt6serialport6 libqt6printsupport6 libqt6svg6 libsqlite3-0 fonts-noto-cjk \
    qt6-qpa-plugins; do
    grep -q "$d" <<<"$depends" || fail "Depends lacks $d: $depends"
done

# Run from the read-only installed folder: the data go to the person's own folder.
export XDG_DATA_HOME=$tmp/data
chmod -R a-w "$root/opt/korva"
cp "$root/opt/korva/bin/RV27.mdb" "$tmp/Empty.cmb"
chmod u+w "$tmp/Empty.cmb"
"$root/opt/korva/bin/korvactl" sheet "$tmp/Empty.cmb" --pdf "$tmp/Empty.pdf" --paper A4 >/dev/null ||
    fail "installed korvactl could not write a sheet"
[ -s "$tmp/Empty.pdf" ] || fail "no PDF"
for f in KORVA.set KORVA.ml KORVA.sdb RV27.mdb KORVA.pkg; do
    [ -f "$tmp/data/KORVA/bin/$f" ] || fail "the person's folder lacks $f"
done
[ -d "$tmp/data/KORVA/Project" ] || fail "no project folder beside"
# The built-in demo device: its simulator is started from the installed folder, while the
# program runs from the person's copy of its data.
demo=$("$root/opt/korva/bin/korvactl" info --demo --lang English 2>"$tmp/demo.err") ||
    fail "the installed program could not start its demo device: $(cat "$tmp/demo.err")"
grep -q '^Connected to the SMS alarm dialer!' <<<"$demo" || fail "demo device: $demo"
echo "package $(basename "$deb"): $(stat -c %s "$deb") bytes; Depends: $depends"
