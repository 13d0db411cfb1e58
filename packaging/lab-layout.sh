#!/bin/sh
# Puts a course folder into the lab layout, in which students can read the course but not the
# tests, and only teachers (the members of one group) can reach variants and reports:
#
#   Content/                   2775 root:GROUP   only the group creates subjects
#   Content/SUBJECT/ and the   2775 root:GROUP   readable by everybody, written by the group;
#     folders in it                              pages and other files are left as they are
#   Content/SUBJECT/Тесты/ and 2770 root:GROUP   for the group alone; set-group-ID, so what is
#     every folder below it                      made in them stays in the group
#   every file below "Тесты"   group GROUP, read and written by the group, nothing for others;
#                              its owner (who wrote a report) is kept
#
#   lab-layout.sh CONTENT_DIR [GROUP]    GROUP: a name or a number, normakurs by default
#
# Only folders' owners and modes and files' groups and modes change; no file's content is
# touched. It never gives others more than they had and can be run again at any time. Run as
# root; another account can only give the group to what it owns, and owners stay as they are.
# Symbolic links are neither followed nor changed.
set -eu

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
    echo "usage: $0 CONTENT_DIR [GROUP]" >&2
    exit 2
fi
content=${1%/}
group=${2:-normakurs}
if [ ! -d "$content" ]; then
    echo "$0: $content: no such folder" >&2
    exit 1
fi
if [ "$(id -u)" = 0 ]; then
    owner=root:$group
else
    owner=:$group
fi

# From inside the folder: a content folder that is a link (to a share) is the folder it leads
# to, and the paths below hold nothing of the folder's own name.
cd "$content"
# "Тесты" as this system spells it (UTF-8) and as a folder copied from a Windows system may
# still spell it (Windows-1251); the tests of a subject and everything in them.
tests_utf8=$(printf '\320\242\320\265\321\201\321\202\321\213')
tests_1251=$(printf '\322\345\361\362\373')
export LC_ALL=C
in_tests="\./[^/]+/($tests_utf8|$tests_1251)(/.*)?"
status=0

# Every folder: written by the group, and others keep at most reading and passing through. This
# comes first, so that a tests folder is never, not even for a moment, more open than before.
find . -type d -exec chown -h "$owner" {} + || status=1
find . -type d -exec chmod g+rwxs,o-w {} + || status=1

# The tests: folders first, so that nobody else passes into them while their files change.
find . -regextype posix-extended -regex "$in_tests" -type d -exec chmod 02770 {} + || status=1
find . -regextype posix-extended -regex "$in_tests" -type f -exec chgrp "$group" {} + || status=1
find . -regextype posix-extended -regex "$in_tests" -type f -exec chmod g+rw,o-rwx {} + ||
    status=1

if [ "$status" != 0 ]; then
    echo "$0: $content: some entries could not be changed (see above)" >&2
fi
exit "$status"
