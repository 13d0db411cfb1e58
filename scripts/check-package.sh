#!/usr/bin/env bash
# Makes the packages in a configured and built build folder and checks them as an installer
# would see them: the .deb unpacked into a scratch root, its menu entry and AppStream data
# validated, no path of this machine inside the programs, the exam keeper and the lab layout the
# package's configuration makes (checked with lab-check), and the unpacked program started on a
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
for binary in normakurs libnormakurs-web.so normakurs-text normakurs-exam; do
    if strings -a "$program_dir/$binary" | grep -q -F -e "$source_dir" -e "$build_dir"; then
        fail "$binary holds a path of the build machine"
    else
        pass "$binary holds no build path"
    fi
done

# The exam keeper: in the program folder, made set-group-ID to the lab's group by the package's
# configuration, and built on the core alone (no widgets, no browser engine).
keeper=$program_dir/normakurs-exam
if [ -x "$keeper" ]; then pass "exam keeper installed"; else fail "exam keeper missing"; fi
if readelf -d "$keeper" 2>/dev/null | grep -q -e Widgets -e WebEngine -e Gui; then
    fail "exam keeper links more than the core"
else
    pass "exam keeper links the core alone"
fi
control=$scratch/control
dpkg-deb -e "$deb" "$control"
# shellcheck disable=SC2016 # the script's own words, not expanded here
for step in 'groupadd --system "$group"' 'chown "root:$group" "$program/normakurs-exam"' \
    'chmod 2755 "$program/normakurs-exam"' '"$program/lab-layout.sh"'; do
    grep -q -F -e "$step" "$control/postinst" && pass "configuration: $step" ||
        fail "configuration lacks: $step"
done

# The lab layout the configuration makes, on a copy of the demo course beside the unpacked
# programs, with a group number of its own (no group is made on this machine; an account other
# than root can give only its own group): lab-check finds nothing a student could reach. The
# open layout of the portable archive must be found out.
if [ "$(id -u)" = 0 ]; then lab_group=47611; else lab_group=$(id -g); fi
if find "$program_dir/demo-course/Content" -maxdepth 0 -perm /0077 | grep -q .; then
    fail "the kept demo course (its keys) is open to others"
else
    pass "the kept demo course is for root alone"
fi
if "$program_dir/lab-layout.sh" --from "$program_dir/demo-course/Content" "$program_dir/Content" \
    "$lab_group" && "$program_dir/lab-layout.sh" "$program_dir/Content" "$lab_group"; then
    pass "lab layout made from the demo course, and applied again"
else
    fail "lab layout script failed"
fi
# Pages, pictures and the folders on the way to them stay open to everybody.
if find "$program_dir/Content" -regextype posix-extended ! -regex '.*/Тесты(/.*)?' \
    \( \( -type d ! -perm -0005 \) -o \( -type f ! -perm -0004 \) \) | grep -q .; then
    fail "the course's pages are not readable by everybody"
else
    pass "the course's pages are readable by everybody"
fi
if "$program_dir/normakurs-text" lab-check --group "$lab_group"; then
    pass "lab-check passes the lab layout"
else
    fail "lab-check finds the lab layout open"
fi
mkdir -p "$scratch/open/Content"
cp -R "$program_dir/demo-course/Content/." "$scratch/open/Content"
find "$scratch/open/Content" -type d -exec chmod 0777 {} +
find "$scratch/open/Content" -type f -exec chmod 0644 {} +
if "$program_dir/normakurs-text" lab-check "$scratch/open/Content" --group "$lab_group" >/dev/null; then
    fail "lab-check passes the open layout"
else
    pass "lab-check finds the open layout"
fi

# The portable archive holds the same program folder, with the demo course.
listing=$(tar tzf "$tgz")
for entry in normakurs/normakurs normakurs/libnormakurs-web.so normakurs/normakurs-text \
    normakurs/normakurs-exam normakurs/lab-layout.sh normakurs/Source/help.html normakurs/Content/; do
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
