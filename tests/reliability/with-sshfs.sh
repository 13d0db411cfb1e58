#!/usr/bin/env bash
# Runs a command with its temporary folder on a network share: a folder served by an sshd of
# its own (on 127.0.0.1 only, a free port, its own host key, one generated key that may log in,
# no passwords) and mounted with sshfs. Everything the command makes with QTemporaryDir (or
# mkstemp, or anything else that honours TMPDIR) then goes over SFTP, with the share's own
# rename, exclusive create and flush.
#
#   with-sshfs.sh COMMAND [ARGUMENT...]
#
# The command sees
#   TMPDIR                    the mounted share
#   NORMAKURS_SHARE=sshfs     so that a test can say why it skips what the share cannot do
#   NORMAKURS_LOCAL_TMPDIR    a folder on the local disk for what is not under test (named
#                             pipes, copies of programs)
# Its exit status is the command's; 125 when the share could not be set up (the reason on
# standard error; a missing /dev/fuse, sshd or sshfs is such a failure, never a pass). The share is unmounted and the sshd stopped however the command ends; a
# command still running after NORMAKURS_SSHFS_TIMEOUT seconds (default 270) is stopped first.
set -uo pipefail

fail() {
    echo "with-sshfs: $*" >&2
    exit 125
}

[ $# -ge 1 ] || fail "usage: with-sshfs.sh COMMAND [ARGUMENT...]"
[ "$(id -u)" -eq 0 ] || fail "must run as root (sshd and the mount are the test's own)"
[ -c /dev/fuse ] || fail "/dev/fuse is missing: this system cannot mount a FUSE share"
SSHD=/usr/sbin/sshd
[ -x "$SSHD" ] || fail "$SSHD is missing (Debian package openssh-server)"
command -v sshfs >/dev/null || fail "sshfs is missing (Debian package sshfs)"
command -v ssh-keygen >/dev/null || fail "ssh-keygen is missing (Debian package openssh-client)"
UNMOUNT=$(command -v fusermount3 || command -v fusermount) ||
    fail "fusermount is missing (Debian package fuse3)"

work=$(mktemp -d "${TMPDIR:-/tmp}/normakurs-sshfs.XXXXXX") || fail "cannot make a temporary folder"
# Other accounts pass through to the share, as a lab's users reach its mount, but cannot list
# this folder; its keys are for root alone.
chmod 711 "$work"
remote=$work/remote
mountpoint=$work/share
local_tmp=$work/local
mkdir "$remote" "$mountpoint" "$local_tmp"
sshd_pid=
mounted=

cleanup() {
    if [ -n "$mounted" ]; then
        "$UNMOUNT" -u "$mountpoint" 2>/dev/null || "$UNMOUNT" -uz "$mountpoint" 2>/dev/null ||
            echo "with-sshfs: could not unmount $mountpoint" >&2
    fi
    if [ -n "$sshd_pid" ]; then
        # The session of the unmounted share ends on its own; then the listener goes.
        for wait_step in $(seq 1 100); do
            pgrep -P "$sshd_pid" >/dev/null || break
            sleep 0.05
        done
        kill "$sshd_pid" 2>/dev/null
        wait "$sshd_pid" 2>/dev/null
    fi
    # Only when the share is gone: never remove through a mount that is still there.
    if ! grep -qF " $mountpoint " /proc/mounts; then
        rm -rf "$work"
    fi
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

ssh-keygen -q -t ed25519 -N '' -C normakurs-share-host -f "$work/host_key" ||
    fail "cannot make a host key"
ssh-keygen -q -t ed25519 -N '' -C normakurs-share-client -f "$work/client_key" ||
    fail "cannot make a client key"
cp "$work/client_key.pub" "$work/authorized_keys"
chmod 600 "$work/authorized_keys"

# sshd keeps the unprivileged half of each connection in this folder.
mkdir -p /run/sshd && chmod 755 /run/sshd

accepts() { # port: true when something listens on 127.0.0.1:port
    (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}

write_config() { # port
    cat >"$work/sshd_config" <<EOF
ListenAddress 127.0.0.1
Port $1
HostKey $work/host_key
PidFile none
AuthorizedKeysFile $work/authorized_keys
PermitRootLogin prohibit-password
PubkeyAuthentication yes
PasswordAuthentication no
KbdInteractiveAuthentication no
UsePAM no
StrictModes no
AllowTcpForwarding no
X11Forwarding no
PrintMotd no
LogLevel ERROR
Subsystem sftp internal-sftp
EOF
}

# A free port: one that nothing answers on, and that this sshd could bind.
port=
for attempt in $(seq 1 20); do
    candidate=$((20000 + (RANDOM * 32768 + RANDOM) % 40000))
    accepts "$candidate" && continue
    write_config "$candidate"
    "$SSHD" -D -e -f "$work/sshd_config" 2>>"$work/sshd.log" &
    sshd_pid=$!
    for wait_step in $(seq 1 200); do
        accepts "$candidate" && { port=$candidate; break; }
        kill -0 "$sshd_pid" 2>/dev/null || break
        sleep 0.05
    done
    [ -n "$port" ] && break
    kill "$sshd_pid" 2>/dev/null
    wait "$sshd_pid" 2>/dev/null
    sshd_pid=
done
[ -n "$port" ] || fail "sshd did not start on 127.0.0.1: $(tail -3 "$work/sshd.log" 2>/dev/null)"

# A lab mounts its share for all of the lab's users (allow_other), and the files' permission
# bits hold for each of them (default_permissions); NORMAKURS_SSHFS_OPTIONS replaces these
# options (empty: a share for root alone).
mount_options=${NORMAKURS_SSHFS_OPTIONS-allow_other,default_permissions}
sshfs -p "$port" \
    -o IdentityFile="$work/client_key",IdentitiesOnly=yes,BatchMode=yes \
    -o StrictHostKeyChecking=no,UserKnownHostsFile=/dev/null,LogLevel=ERROR \
    ${mount_options:+-o "$mount_options"} \
    "root@127.0.0.1:$remote" "$mountpoint" 2>"$work/sshfs.log" ||
    fail "sshfs could not mount the share: $(cat "$work/sshfs.log")"
mounted=1
grep -qF " $mountpoint fuse.sshfs " /proc/mounts || fail "$mountpoint is not an sshfs mount"
# The share must take a file before the command is given it.
echo probe >"$mountpoint/.probe" && [ "$(cat "$remote/.probe")" = probe ] &&
    rm "$mountpoint/.probe" || fail "the share does not pass a file through to its server"

echo "with-sshfs: TMPDIR=$mountpoint (sshfs over 127.0.0.1:$port)" >&2
TMPDIR=$mountpoint NORMAKURS_SHARE=sshfs NORMAKURS_LOCAL_TMPDIR=$local_tmp \
    timeout --kill-after=10 "${NORMAKURS_SSHFS_TIMEOUT:-270}" "$@"
status=$?
[ $status -eq 124 ] && echo "with-sshfs: the command was stopped after its time limit" >&2
exit $status
