#!/usr/bin/env bash
# Checks a built Debian package with Debian's own validators: the desktop entry, the AppStream
# metainfo (offline), and lintian, which fails on any error and shows its warnings and hints.
set -euo pipefail
deb=$1
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
dpkg-deb -x "$deb" "$tree"
desktop-file-validate "$tree"/usr/share/applications/*.desktop
appstreamcli validate --no-net "$tree"/usr/share/metainfo/*.metainfo.xml
appstreamcli validate-tree --no-net "$tree"
# lintian warns that it runs as root, which is how the build machines run.
lintian --display-level '>=info' --fail-on error "$deb" 2> >(grep -v 'root privileges' >&2)
echo "$deb: checked"
