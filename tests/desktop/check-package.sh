#!/usr/bin/env bash
# Checks the Debian package as built: check-package.sh PACKAGE.deb EXAMPLE.json
# Its name and control fields, then its contents, unpacked into a temporary root, as an install tree.
set -euo pipefail
deb=$1
example=$2
here=$(cd "$(dirname "$0")" && pwd)

field() { dpkg-deb -f "$deb" "$1"; }
version=$(field Version)
arch=$(field Architecture)
depends=$(field Depends)

[ "$(field Package)" = quandrelle ] || { echo "package: named $(field Package)" >&2; exit 1; }
[ "$(basename "$deb")" = "quandrelle_${version}_${arch}.deb" ] ||
    { echo "package: file named $(basename "$deb"), not quandrelle_${version}_${arch}.deb" >&2; exit 1; }
for library in libc6 libstdc++6 libqt6widgets6 libqt6printsupport6 qt6-qpa-plugins; do
    grep -q "\b$library\b" <<<"$depends" ||
        { echo "package: Depends lacks $library: $depends" >&2; exit 1; }
done

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"
bash "$here/check-install-tree.sh" "$root/usr" "$version" "$example"
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes, Depends: $depends"
