#!/usr/bin/env bash
# Checks an installed tree as a user meets it: check-install-tree.sh PREFIX VERSION EXAMPLE.json
# PREFIX is the folder that holds bin/ and share/ (an install prefix, or usr/ of an unpacked
# package). The programs are run with a home folder of their own, so that the records folder an
# installed program chooses is seen without touching the real one.
set -euo pipefail
prefix=$(cd "$1" && pwd)
version=$2
example=$3
failures=0
fail() {
    echo "install tree: $*" >&2
    failures=$((failures + 1))
}

expected=(
    bin/quandrelle
    bin/quandrelle-calc
    bin/quandrelle-db
    share/applications/org.quandrelle.Quandrelle.desktop
    share/doc/quandrelle/LICENSE
    share/doc/quandrelle/README.md
    share/icons/hicolor/128x128/apps/quandrelle.png
    share/icons/hicolor/16x16/apps/quandrelle.png
    share/icons/hicolor/256x256/apps/quandrelle.png
    share/icons/hicolor/32x32/apps/quandrelle.png
    share/icons/hicolor/48x48/apps/quandrelle.png
    share/icons/hicolor/64x64/apps/quandrelle.png
    share/icons/hicolor/scalable/apps/quandrelle.svg
    share/man/man1/quandrelle-calc.1.gz
    share/man/man1/quandrelle-db.1.gz
    share/metainfo/org.quandrelle.Quandrelle.metainfo.xml
    share/mime/packages/org.quandrelle.Quandrelle.xml
    share/quandrelle/VaporB30.DB
)
# Exactly these files: a record file in bin/ or a stray build product would show here.
actual=$(cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort)
wanted=$(printf '%s\n' "${expected[@]}" | LC_ALL=C sort)
if [ "$actual" != "$wanted" ]; then
    fail "the files differ from those expected:"
    diff <(echo "$wanted") <(echo "$actual") >&2 || true
fi

for program in quandrelle quandrelle-calc quandrelle-db; do
    [ -x "$prefix/bin/$program" ] || fail "bin/$program is not executable"
done

library="$prefix/share/quandrelle/VaporB30.DB"
size=$(stat -c %s "$library")
if [ "$size" -eq 0 ] || [ $((size % 117)) -ne 0 ]; then
    fail "the shipped library is $size bytes, not a whole number of 117-byte records"
fi
case "$(stat -c %A "$library")" in
    -r--r--r--) ;;
    *) fail "the shipped library should be read-only for everyone, not $(stat -c %A "$library")" ;;
esac

for page in "$prefix"/share/man/man1/*.gz; do
    gzip -t "$page" || fail "$page is not a valid gzip file"
    zcat "$page" | grep -q "Quandrelle $version" || fail "$page does not name version $version"
done
grep -q "release version=\"$version\"" "$prefix/share/metainfo/org.quandrelle.Quandrelle.metainfo.xml" ||
    fail "the metainfo does not name release $version"

for program in quandrelle-calc quandrelle-db; do
    shown=$("$prefix/bin/$program" --version)
    [ "$shown" = "$program $version" ] || fail "$program --version says \"$shown\", not \"$program $version\""
done

"$prefix/bin/quandrelle-calc" "$example" --json | grep -q '"breakthroughTime"' ||
    fail "quandrelle-calc gave no results for $example"

# A saved calculation is a scenario under its own file type: the desktop entry opens it, its glob
# is declared, and quandrelle-calc runs it by that name.
mime="$prefix/share/mime/packages/org.quandrelle.Quandrelle.xml"
grep -q 'type="application/x-quandrelle-calculation"' "$mime" && grep -q 'pattern="\*.quandrelle"' "$mime" ||
    fail "the file type of calculations is not declared in $mime"
grep -qx 'MimeType=application/x-quandrelle-calculation;' "$prefix/share/applications/org.quandrelle.Quandrelle.desktop" ||
    fail "the desktop entry does not open calculation files"
saved=$(mktemp --suffix=.quandrelle)
cp "$example" "$saved"
"$prefix/bin/quandrelle-calc" "$saved" --json | grep -q '"breakthroughTime"' ||
    fail "quandrelle-calc gave no results for a calculation file"
rm -f "$saved"
if command -v xmllint >/dev/null; then
    xmllint --noout "$mime" || fail "$mime is not well-formed XML"
fi

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
records="$home/.local/share/quandrelle"
run_db() { env -u XDG_DATA_HOME HOME="$home" "$prefix/bin/quandrelle-db" "$@"; }
run_db --help | grep -qF "Your record files are in $records/" ||
    fail "quandrelle-db --help does not name the per-user folder $records/"
listed=$(run_db list vapors | wc -l)
[ "$listed" -eq $((size / 117)) ] ||
    fail "quandrelle-db list vapors gave $listed names for a library of $((size / 117)) records"
cmp -s "$library" "$records/VaporB30.DB" || fail "the per-user folder did not start from the shipped library"
[ -w "$records/VaporB30.DB" ] && [ -n "$(find "$records/VaporB30.DB" -perm -u+w)" ] ||
    fail "the user's copy of the library cannot take new records"
[ ! -e "$prefix/bin/VaporB30.DB" ] || fail "a record file was made beside the installed programs"

if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$prefix/share/applications/org.quandrelle.Quandrelle.desktop" ||
        fail "the desktop entry does not validate"
else
    echo "install tree: desktop-file-validate not present, desktop entry not validated"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$prefix/share/metainfo/org.quandrelle.Quandrelle.metainfo.xml" >/dev/null ||
        fail "the metainfo does not validate"
else
    echo "install tree: appstreamcli not present, metainfo not validated"
fi

if [ "$failures" -ne 0 ]; then
    exit 1
fi
echo "install tree: $prefix holds what it should and its programs work"
