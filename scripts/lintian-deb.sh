#!/usr/bin/env bash
# lintian on a Debian package, failing on any error or warning. lintian asks
# not to be run as root (and says so on every run): as root, it reads a copy
# of the package as the unprivileged user nobody.
set -euo pipefail
deb=$1
echo "lintian --fail-on error,warning $deb"
if [ "$(id -u)" != 0 ] || ! id nobody >/dev/null 2>&1; then
    exec lintian --fail-on error,warning "$deb"
fi
copy=$(mktemp -d)
trap 'rm -rf "$copy"' EXIT
cp "$deb" "$copy/"
chmod 755 "$copy"
chmod 644 "$copy"/*.deb
runuser -u nobody -- lintian --fail-on error,warning "$copy/$(basename "$deb")"
