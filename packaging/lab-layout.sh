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
#   lab-layout.sh --from COURSE CONTENT_DIR [GROUP]
#                                        makes CONTENT_DIR, which must not exist, as a copy of
#                                        the course folder COURSE, already in the layout: its
#                                        pages for everybody, nothing of its tests for others
#                                        at any moment
#
# Only folders' owners and modes and files' groups and modes change; no file's content is
# touched. It never gives others more than they had and can be run again at any time. Run as
# root; another account can only give the group to what it owns, and owners stay as they are.
# Symbolic links are neither followed nor changed.
set -eu

seed=
if [ "${1-}" = --from ] && [ $# -ge 2 ]; then
    seed=${2%/}
    shift 2
fi
if [ $# -lt 1 ] || [ $# -gt 2 ]; then
    echo "usage: $0 [--from COURSE] CONTENT_DIR [GROUP]" >&2
    exit 2
fi
content=${1%/}
group=${2:-normakurs}
if [ "$(id -u)" = 0 ]; then
    owner=root:$group
else
    owner=:$group
fi

# "Тесты" as this system spells it (UTF-8) and as a folder copied from a Windows system may
# still spell it (Windows-1251); the tests of a subject and everything in them.
tests_utf8=$(printf '\320\242\320\265\321\201\321\202\321\213')
tests_1251=$(printf '\322\345\361\362\373')
in_tests="\./[^/]+/($tests_utf8|$tests_1251)(/.*)?"

# The layout of the folder $1, from inside it: a content folder that is a link (to a share) is
# the folder it leads to, and the paths below hold nothing of the folder's own name.
layout() (
    cd "$1"
    export LC_ALL=C
    status=0
    # Every folder: written by the group, and others keep at most reading and passing through.
    # This comes first, so that a tests folder is never, not even for a moment, more open than
    # before.
    find . -type d -exec chown -h "$owner" {} + || status=1
    find . -type d -exec chmod g+rwxs,o-w {} + || status=1
    # The tests: folders first, so that nobody else passes into them while their files change.
    find . -regextype posix-extended -regex "$in_tests" -type d -exec chmod 02770 {} + || status=1
    find . -regextype posix-extended -regex "$in_tests" -type f -exec chgrp "$group" {} + ||
        status=1
    find . -regextype posix-extended -regex "$in_tests" -type f -exec chmod g+rw,o-rwx {} + ||
        status=1
    exit "$status"
)

if [ -n "$seed" ]; then
    if [ -e "$content" ] || [ -L "$content" ]; then
        echo "$0: $content is there already" >&2
        exit 1
    fi
    # Made aside, closed to others until everything in it is in the layout, then put in place.
    made=$content.new
    rm -rf "$made"
    mkdir -m 0700 "$made"
    cp -R "$seed/." "$made"
    find "$made" -mindepth 1 -type d -exec chmod 0755 {} +
    find "$made" -type f -exec chmod 0644 {} +
    layout "$made"
    chown "$owner" "$made"
    chmod 02775 "$made"
    mv "$made" "$content"
    exit 0
fi

if [ ! -d "$content" ]; then
    echo "$0: $content: no such folder" >&2
    exit 1
fi
if ! layout "$content"; then
    echo "$0: $content: some entries could not be changed (see above)" >&2
    exit 1
fi
