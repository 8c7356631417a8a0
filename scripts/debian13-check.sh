#!/usr/bin/env bash
# Runs the README's test command (./scripts/test.sh, warnings as errors) on a fresh Debian 13
# (trixie): debootstraps a chroot from Debian's archive, copies a clean clone of this
# checkout's HEAD into it, runs the tests there as a new user would, and removes the chroot.
#
#   scripts/debian13-check.sh [CHROOT_DIR]      (as root; default: a new /var/tmp/zepo-trixie.*)
#
# ZEPO_DEBIAN_MIRROR   the archive to install from (default http://deb.debian.org/debian)
# ZEPO_DEB_CACHE       where downloaded packages are kept between runs (default
#                      /var/cache/zepo-trixie-debs); the chroot itself is always made anew
# ZEPO_KEEP_CHROOT=1   leaves the chroot in place afterwards, for a look at a failure
#
# Only committed work is tested: the clone is made from HEAD.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
mirror=${ZEPO_DEBIAN_MIRROR:-http://deb.debian.org/debian}
cache=${ZEPO_DEB_CACHE:-/var/cache/zepo-trixie-debs}

if [ "$(id -u)" -ne 0 ]; then
  echo "debian13-check: debootstrap and chroot need root" >&2
  exit 2
fi
if ! command -v debootstrap >/dev/null; then
  DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 install -y -qq debootstrap
fi
if [ -n "$(git -C "$root" status --porcelain --untracked-files=no)" ]; then
  echo "debian13-check: note: uncommitted changes are not part of the check (it clones HEAD)" >&2
fi

if [ $# -ge 1 ]; then
  chroot_dir=$1
  mkdir -p "$chroot_dir"
  if [ -n "$(ls -A "$chroot_dir")" ]; then
    echo "debian13-check: $chroot_dir is not empty; the chroot must be made anew" >&2
    exit 2
  fi
else
  chroot_dir=$(mktemp -d /var/tmp/zepo-trixie.XXXXXX)
fi
chroot_dir=$(cd "$chroot_dir" && pwd)
mkdir -p "$cache"

mounted=()
mount_in() {  # mount_in TARGET mount-arguments...
  local target="$chroot_dir$1"; shift
  mkdir -p "$target"
  mount "$@" "$target"
  mounted=("$target" "${mounted[@]}")
}
cleanup() {
  local status=$?
  for target in "${mounted[@]}"; do
    umount -R "$target" 2>/dev/null || umount -R -l "$target" || true
  done
  if [ "${ZEPO_KEEP_CHROOT:-0}" = 1 ]; then
    echo "debian13-check: chroot kept in $chroot_dir"
  elif grep -q " $chroot_dir/" /proc/mounts; then
    # Never delete through a mount that is still there (it would reach the host's /dev or /tmp).
    echo "debian13-check: something is still mounted under $chroot_dir; not removing it" >&2
  else
    rm -rf --one-file-system "$chroot_dir"
  fi
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

phase_start=$SECONDS
phase() {
  echo "== debian13-check: $1 ($((SECONDS - phase_start)) s so far)"
}

phase "debootstrap trixie from $mirror into $chroot_dir"
debootstrap --variant=minbase --cache-dir="$cache" trixie "$chroot_dir" "$mirror"
security=${mirror%/debian}/debian-security
cat >"$chroot_dir/etc/apt/sources.list" <<EOF
deb $mirror trixie main
deb $mirror trixie-updates main
deb $security trixie-security main
EOF
# Packages never start services inside the chroot.
printf '#!/bin/sh\nexit 101\n' >"$chroot_dir/usr/sbin/policy-rc.d"
chmod +x "$chroot_dir/usr/sbin/policy-rc.d"

# The host's /dev and /sys come in as slaves: nothing mounted below them in the chroot
# travels back to the host.
mount_in /proc -t proc proc
mount_in /sys --rbind /sys --make-rslave
mount_in /dev --rbind /dev --make-rslave
mount_in /tmp -t tmpfs -o mode=1777 tmpfs
mount_in /var/cache/apt/archives --bind "$cache"

phase "clean clone of $(git -C "$root" rev-parse --short HEAD)"
git clone --quiet "$root" "$chroot_dir/root/zepo"
git -C "$chroot_dir/root/zepo" checkout --quiet --detach "$(git -C "$root" rev-parse HEAD)"

in_chroot() {
  chroot "$chroot_dir" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin "$@"
}
in_chroot sh -c '. /etc/os-release && echo "$PRETTY_NAME"'

phase "./scripts/test.sh"
tests_start=$SECONDS
in_chroot bash -c 'cd /root/zepo && ./scripts/test.sh'
echo "== debian13-check: passed; test.sh took $((SECONDS - tests_start)) s, $((SECONDS - phase_start)) s in all"
in_chroot sh -c 'gcc --version | head -1; clang --version | head -1; dpkg-query -W qt6-base-dev libavcodec-dev libsdl2-dev'
