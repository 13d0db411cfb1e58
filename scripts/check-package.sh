#!/usr/bin/env bash
# Makes the packages in a configured and built build folder and checks them as an installer
# would see them: the .deb unpacked into a scratch root, its menu entry and AppStream data
# validated, no path of this machine inside the programs, and the unpacked program started on a
# real desktop, through a symbolic link and from another working folder, up to its launcher.
#   scripts/check-package.sh BUILD_DIR
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD
build_dir=$(cd "$1" && pwd)

# The archiver takes file names in the locale's encoding: in the C locale of a bare system it
# cannot store the names of a build folder under a Russian folder name.
(cd "$build_dir" && LC_ALL=C.UTF-8 cpack -G "DEB;TGZ" >/dev/null)
deb=$(ls "$build_dir"/normakurs_*_amd64.deb)
tgz=$(ls "$build_dir"/normakurs-*-portable.tar.gz)

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
root=$scratch/root
dpkg-deb -x "$deb" "$root"

failures=0
passes=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "PASS: $*"; passes=$((passes + 1)); }

desktop_entry=$root/usr/share/applications/ru.normakurs.Normakurs.desktop
if desktop-file-validate "$desktop_entry"; then pass "desktop entry"; else fail "desktop entry"; fi
if appstreamcli validate --no-net "$root/usr/share/metainfo/ru.normakurs.Normakurs.metainfo.xml"; then
    pass "AppStream metainfo"
else
    fail "AppStream metainfo"
fi
for size in 48x48 128x128 256x256 scalable; do
    icon=$(ls "$root/usr/share/icons/hicolor/$size/apps/"normakurs.* 2>/dev/null || true)
    [ -n "$icon" ] && pass "icon $size" || fail "icon $size missing"
done
for link in normakurs normakurs-text; do
    [ "$(readlink "$root/usr/bin/$link")" = "/opt/normakurs/$link" ] && pass "/usr/bin/$link" ||
        fail "/usr/bin/$link does not lead to /opt/normakurs/$link"
done

program_dir=$root/opt/normakurs
for binary in normakurs libnormakurs-web.so normakurs-text; do
    if strings -a "$program_dir/$binary" | grep -q -F -e "$source_dir" -e "$build_dir"; then
        fail "$binary holds a path of the build machine"
    else
        pass "$binary holds no build path"
    fi
done

# The portable archive holds the same program folder, with the demo course.
listing=$(tar tzf "$tgz")
for entry in normakurs/normakurs normakurs/libnormakurs-web.so normakurs/normakurs-text \
    normakurs/Source/help.html normakurs/Content/; do
    grep -q -x -F "$entry" <<<"$listing" && pass "archive holds $entry" || fail "archive lacks $entry"
done

# Started through a link from another folder, the unpacked program finds its module and its
# data beside its real file and shows its launcher; a close request ends it with code 0.
mkdir "$scratch/elsewhere"
ln -s "$program_dir/normakurs" "$scratch/elsewhere/normakurs"
if (cd / && NORMAKURS_PROGRAM="$scratch/elsewhere/normakurs" \
    "$source_dir/tests/app/desktop/with-openbox.sh" 1366x768 \
    "$build_dir/tests/TestDesktop" programEndsOnLauncherCloseRequest); then
    pass "installed program starts"
else
    fail "installed program does not start"
fi

echo "package: $passes passed, $failures failed"
[ "$failures" -eq 0 ]
