#!/usr/bin/env bash
# Checks the Debian package that ./build.sh package made, and the install it comes from:
#   - an install into a temporary DESTDIR, and the package, hold exactly the paths listed in
#     packaging/installed-files.txt;
#   - the desktop entry and the AppStream data pass desktop-file-validate and appstreamcli;
#   - the package, its changelog and its AppStream release name the same version;
#   - the installed program starts offscreen from the desktop entry's Exec command and is still
#     running after a few seconds;
#   - lintian reports no error (its warnings are shown).
# Usage: packaging/check-package.sh <build dir>
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$1
id=cn.narwe.ExtinguisherCalculator
package=extinguisher-calculator

debs=("$dir"/${package}_*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
    echo "check-package: expected one ${package}_*.deb in $dir" >&2
    exit 1
fi
deb=${debs[0]}

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
DESTDIR="$root/install" cmake --install "$dir" --prefix /usr >/dev/null

echo "== installed files"
(cd "$root/install" && find . -mindepth 1 \( -type d -printf '%P/\n' -o -printf '%P\n' \)) |
    LC_ALL=C sort | diff -u packaging/installed-files.txt -
echo "== package contents"
dpkg-deb -c "$deb" | awk '{ print $6 }' | sed 's|^\./||; /^$/d' | LC_ALL=C sort |
    diff -u packaging/installed-files.txt -

echo "== desktop entry and AppStream data"
desktop-file-validate "$root/install/usr/share/applications/$id.desktop"
appstreamcli validate --no-net "$root/install/usr/share/metainfo/$id.metainfo.xml"

echo "== project file type"
grep -q 'MimeType=application/x-fire-extinguisher-project;' \
    "$root/install/usr/share/applications/$id.desktop"
if command -v xmllint >/dev/null; then
    xmllint --noout "$root/install/usr/share/mime/packages/$id.xml"
fi
grep -q '<glob pattern="\*.fep"/>' "$root/install/usr/share/mime/packages/$id.xml"

echo "== versions"
version=$(dpkg-deb -f "$deb" Version)
changelog_version=$(zcat "$root/install/usr/share/doc/$package/changelog.gz" |
    sed -n '1s/^[^ ]* (\([^)]*\)).*/\1/p')
release_version=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' \
    "$root/install/usr/share/metainfo/$id.metainfo.xml" | head -n 1)
echo "package $version, changelog $changelog_version, AppStream release $release_version"
[ "$version" = "$changelog_version" ] && [ "$version" = "$release_version" ]

echo "== start from the desktop entry"
# Without a file to open (%f stands for none), the calculator window opens.
exec_command=$(sed -n 's/^Exec=//p' "$root/install/usr/share/applications/$id.desktop" | sed 's/ %f//')
status=0
env PATH="$root/install/usr/bin:$PATH" XDG_CONFIG_HOME="$root/config" QT_QPA_PLATFORM=offscreen \
    timeout 5 $exec_command || status=$?
if [ "$status" -ne 124 ]; then
    echo "check-package: '$exec_command' ended with status $status instead of running" >&2
    exit 1
fi
echo "'$exec_command' was still running after 5 s"

echo "== lintian"
lintian --fail-on error "$deb"
echo "check-package: all checks passed"
