#!/usr/bin/env bash
# The Debian package of build tree $1 (project version $2), made into a scratch directory:
# its control fields, its contents against the manifest of the install it was made from
# (the build's own manifest untouched), and its programs, unpacked there (never
# installed), run on its sample.
set -euo pipefail
build=$1 version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
manifest=$build/install_manifest.txt
before=$(cat "$manifest" 2>/dev/null || echo absent)
cpack -G DEB -B "$work" --config "$build/CPackConfig.cmake" >"$work/log" 2>&1 ||
  { cat "$work/log"; exit 1; }
# README's uninstall reads the manifest of "cmake --install": the package leaves it be.
[[ $(cat "$manifest" 2>/dev/null || echo absent) == "$before" ]] ||
  { echo "cpack wrote $manifest"; exit 1; }
deb=$work/kdzconf_${version}_$(dpkg --print-architecture).deb

fields=$(dpkg-deb -f "$deb" Package Version Maintainer Depends)
[[ $fields == *"Package: kdzconf"*"Version: $version"*"Maintainer: kdzconf developers"*libc6* ]] ||
  { echo "control fields: $fields"; exit 1; }

# Files, not directories, by their path under the root.
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^\./, "", $6); print $6 }' | sort >"$work/packaged"
sort "$build/install_manifest_Unspecified.txt" | diff - "$work/packaged"

dpkg-deb -x "$deb" "$work/root"
share=$work/root/usr/share
for page in "$share"/man/man?/*.gz; do
  [[ $(zcat "$page" | sed -n 1p) == *"kdzconf $version"* ]] ||
    { echo "$page: no dated header"; exit 1; }
done
mkdir "$work/pkg"
cp "$share/kdzconf/cfg" "$work/pkg/"
cp "$share/kdzconf/par.sample" "$work/pkg/par"
"$work/root/usr/bin/editpar" -C "$work/pkg" -c
"$work/root/usr/bin/buildc" -C "$work/pkg"
for file in kdzspc.h System Init dces dtes Node; do
  [[ -f $work/pkg/$file ]] || { echo "the packaged buildc did not write $file"; exit 1; }
done
