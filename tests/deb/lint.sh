#!/usr/bin/env bash
# The Debian package as Debian's tools judge it: lintian with no error and no warning, its
# desktop entry by desktop-file-validate and its AppStream metainfo by appstreamcli.
#   tests/deb/lint.sh DEB
set -euo pipefail
deb=$1
status=0
lintian --fail-on error,warning --display-level '>=info' "$deb" || { echo "FAIL: lintian" >&2; status=1; }
contents=$(mktemp -d)
trap 'rm -rf "$contents"' EXIT
dpkg-deb -x "$deb" "$contents"
desktop-file-validate "$contents"/usr/share/applications/*.desktop || { echo "FAIL: desktop-file-validate" >&2; status=1; }
appstreamcli validate --no-net "$contents"/usr/share/metainfo/*.metainfo.xml || { echo "FAIL: appstreamcli" >&2; status=1; }
exit $status
