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
[ "$(readlink "$root/usr/bin/korva")" = /opt/korva/bin/KORVA ] ||
    fail "/usr/bin/korva does not lead to /opt/korva/bin/KORVA"
desktop=$root/usr/share/applications/korva.desktop
grep -qx 'Exec=/opt/korva/bin/KORVA %f' "$desktop" || fail "desktop entry's Exec"
grep -qx 'Name\[zh_TW\]=KORVA 簡訊報警機設定' "$desktop" || fail "desktop entry's Chinese name"
grep -qx 'Icon=korva' "$desktop" || fail "desktop entry's icon"
[ -f "$root/usr/share/icons/hicolor/scalable/apps/korva.svg" ] || fail "icon missing"
if command -v desktop-file-validate >/dev/null; then desktop-file-validate "$desktop"; fi
grep -qx 'Categories=Settings;HardwareSettings;' "$desktop" || fail "desktop entry's categories"
grep -qx 'MimeType=application/x-korva-project;' "$desktop" || fail "desktop entry's MIME type"
# The project files' type, as the desktop's MIME database reads it.
mkdir -p "$tmp/mime/packages"
cp "$root/usr/share/mime/packages/korva.xml" "$tmp/mime/packages/" || fail "MIME type missing"
update-mime-database "$tmp/mime" >/dev/null 2>&1 || fail "update-mime-database refused korva.xml"
grep -qx '50:application/x-korva-project:\*.cmb' "$tmp/mime/globs2" ||
    fail "*.cmb is not application/x-korva-project: $(cat "$tmp/mime/globs2")"
grep -q 'application/x-korva-project application/vnd.sqlite3' "$tmp/mime/subclasses" ||
    fail "the project type is no kind of SQLite database"
# What Debian asks of every package.
doc=$root/usr/share/doc/korva
grep -q '^License: ' "$doc/copyright" || fail "no copyright file"
zcat "$doc/changelog.gz" | head -1 | grep -q "^korva ($(dpkg-deb -f "$deb" Version))" ||
    fail "the changelog does not start with this version"
[ -f "$root/usr/share/man/man1/korva.1.gz" ] || fail "no manual page for korva"
# The program folder stays under /opt (see docs/DESIGN-NOTES.md); nothing else may be said.
if command -v lintian >/dev/null; then
    lintian --fail-on error,warning --suppress-tags dir-or-file-in-opt "$deb" ||
        fail "lintian: $(lintian --suppress-tags dir-or-file-in-opt "$deb" 2>&1)"
fi
maintainer=$(dpkg-deb -f "$deb" Maintainer)
grep -Eq '^[^<]+ <[^@ ]+@[^@ ]+\.[a-z]+>$' <<<"$maintainer" && ! grep -q localhost <<<"$maintainer" ||
    fail "maintainer field: $maintainer"

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
# (korvactl's message boxes, the connect result among them, go to standard error)
demo=$("$root/opt/korva/bin/korvactl" info --demo --lang English 2>&1) ||
    fail "the installed program could not start its demo device: $demo"
grep -q '^Connected to the SMS alarm dialer!' <<<"$demo" || fail "demo device: $demo"

# A project file given on the command line (what a double-click in the file manager does) is
# opened: its working copy and lock appear beside it. New projects go to the Documents folder.
export HOME=$tmp/home
mkdir -p "$HOME"
cp "$root/opt/korva/bin/RV27.mdb" "$tmp/Site.cmb"
chmod u+w "$tmp/Site.cmb"
(cd "$tmp" && exec env QT_QPA_PLATFORM=offscreen "$root/opt/korva/bin/KORVA" Site.cmb) \
    >"$tmp/korva.log" 2>&1 &
korva=$!
trap 'kill $korva 2>/dev/null || true; chmod -R u+w "$tmp"; rm -rf "$tmp"' EXIT
for _ in $(seq 300); do
    [ -f "$tmp/Site.mir" ] && [ -e "$tmp/Site.cmb.lock" ] && break
    kill -0 $korva 2>/dev/null || fail "KORVA Site.cmb ended: $(cat "$tmp/korva.log")"
    sleep 0.1
done
[ -f "$tmp/Site.mir" ] || fail "KORVA Site.cmb did not open the project: $(cat "$tmp/korva.log")"
[ -d "$HOME/Documents/KORVA Projects" ] || fail "no project folder in Documents"
kill $korva
wait $korva 2>/dev/null || true

echo "package $(basename "$deb"): $(stat -c %s "$deb") bytes; Depends: $depends"
