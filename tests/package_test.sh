#!/usr/bin/env bash
# The Debian package of build tree $1 (project version $2), made into a scratch directory:
# the build's install manifest untouched (README's uninstall reads it), the control fields,
# the contents against the manifest of the install it was made from, the pages dated, and
# its programs, unpacked (never installed), run on its sample.
set -euo pipefail
build=$1 version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
manifest=$build/install_manifest.txt
before=$(cat "$manifest" 2>/dev/null || echo absent)
cpack -G DEB -B "$work" --config "$build/CPackConfig.cmake" >"$work/log" 2>&1 ||
  { cat "$work/log"; exit 1; }
[[ $(cat "$manifest" 2>/dev/null || echo absent) == "$before" ]] || { echo "cpack wrote $manifest"; exit 1; }
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
  [[ $(zcat "$page" | sed -n 1p) == *"kdzconf $version"* ]] || { echo "$page: undated"; exit 1; }
done
mkdir "$work/pkg" && cd "$work/pkg"
cp "$share/kdzconf/cfg" cfg && cp "$share/kdzconf/par.sample" par
../root/usr/bin/editpar -C . -c
../root/usr/bin/buildc -C .
ls kdzspc.h System Init dces dtes Node >/dev/null
