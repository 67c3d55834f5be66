#!/usr/bin/env bash
# A Debian root of its own, made once from the host's mirror and entered in a mount namespace:
# for what the host cannot install beside its own packages (32-bit Wine), or a clean system
# of another release to install a package into.
#
#   scripts/debian-root.sh make ROOT SUITE PACKAGE...   makes ROOT (debootstrap's minbase of
#                                                       SUITE, then PACKAGE... without their
#                                                       Recommends; an ARCH-qualified one adds
#                                                       that architecture), or adds what it
#                                                       lacks; once it is ready, does nothing
#   scripts/debian-root.sh run ROOT DIR|"" CMD...       runs CMD as root in ROOT with a clean
#                                                       environment, in DIR (mounted at the same
#                                                       path) when one is given
#
# What a run mounts (/proc, /sys, /dev, /dev/pts, /dev/shm, DIR) it mounts in a mount
# namespace of its own, and unmounts again by those paths when it ends, however it ends.
# ROOT.lock keeps a making from a running; ROOT.log says what the making did.
set -euo pipefail

self=$(readlink -f "${BASH_SOURCE[0]}")

say() { echo "$(basename "$root"): $*" >&2; }

# The stamp names what was installed and is written last: a root whose stamp names the
# packages asked for is ready.
ready() { [ -f "$root/.vesmo-ready" ] && [ "$(cat "$root/.vesmo-ready")" = "${packages[*]}" ]; }

# The Debian mirror the host's apt takes bookworm from, in either format of apt's sources.
host_mirror() {
  local mirror
  mirror=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null | awk '
    $1 == "deb" {
      i = 2
      if ($i ~ /^\[/) { while (i <= NF && $i !~ /\]$/) i++; i++ }
      if ($(i + 1) == "bookworm") { print $i; exit }
    }')
  [ -n "$mirror" ] || mirror=$(cat /etc/apt/sources.list.d/*.sources 2>/dev/null | awk '
    BEGIN { RS = ""; FS = "\n" }
    {
      types = uris = suites = ""; enabled = "yes"
      for (i = 1; i <= NF; i++) {
        if ($i ~ /^#/ || !match($i, /^[A-Za-z-]+:/)) continue
        key = tolower(substr($i, 1, RLENGTH - 1)); value = substr($i, RLENGTH + 1)
        if (key == "types") types = value
        else if (key == "uris") uris = value
        else if (key == "suites") suites = value
        else if (key == "enabled") enabled = value
      }
      if ((" " types " ") ~ / deb / && (" " suites " ") ~ / bookworm / && enabled !~ /no/) {
        split(uris, uri, " "); print uri[1]; exit
      }
    }')
  [ -n "$mirror" ] || { say "the host's apt sources name no Debian mirror"; return 1; }
  echo "$mirror"
}

# Internal, run by unshare in a mount namespace of this run's own: TARGET's mounts, then
# CMD chrooted into it with a clean environment, in DIR when one is given.
#   enter TARGET DIR|"" CMD...
enter() {
  local target=$1 dir=$2
  shift 2
  mounted=()
  trap unmount_all EXIT
  trap 'exit 129' HUP
  trap 'exit 130' INT
  trap 'exit 143' TERM
  mount_at "$target/proc" -t proc proc
  mount_at "$target/sys" --bind /sys
  mount_at "$target/dev" --bind /dev
  mount_at "$target/dev/pts" --bind /dev/pts
  mount_at "$target/dev/shm" --bind /dev/shm
  if [ -n "$dir" ]; then
    mkdir -p "$target$dir"
    mount_at "$target$dir" --bind "$dir"
  fi
  local environment=(PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin HOME=/root
                     LANG=C.UTF-8 TERM="${TERM:-dumb}")
  local name
  for name in $(compgen -e); do
    case $name in VESMO_KILL_SEED | CI | CTEST_*) environment+=("$name=${!name}") ;; esac
  done
  # In the background, so that a signal ends the run at once: the trap then ends what the
  # command left. It keeps this script's standard input.
  chroot "$target" /usr/bin/env -i "${environment[@]}" /bin/bash -c '[ -z "$1" ] || cd "$1"; shift; "$@"' \
    - "$dir" "$@" <&0 &
  wait $!
}

mount_at() {
  local path=$1
  shift
  mount "$@" "$path"
  mounted+=("$path")
}

# Whatever the command left running in the root ends first (the processes of this mount
# namespace, which this run started), then every mount goes, the last one first.
unmount_all() {
  local status=$? namespace pid leftovers=() i
  namespace=$(readlink /proc/$$/ns/mnt)
  for pid in /proc/[0-9]*; do
    pid=${pid#/proc/}
    [ "$pid" != $$ ] && [ "$pid" != "$BASHPID" ] &&
      [ "$(readlink "/proc/$pid/ns/mnt" 2>/dev/null)" = "$namespace" ] && leftovers+=("$pid")
  done
  if [ ${#leftovers[@]} -gt 0 ]; then
    echo "debian-root: ending what the run left: ${leftovers[*]}" >&2
    kill "${leftovers[@]}" 2>/dev/null || true
    for _ in $(seq 50); do
      any_running "${leftovers[@]}" || break
      sleep 0.1
    done
    kill -KILL "${leftovers[@]}" 2>/dev/null || true
  fi
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
    umount "${mounted[i]}" 2>/dev/null || umount --lazy "${mounted[i]}" || {
      echo "debian-root: could not unmount ${mounted[i]}" >&2
      status=1
    }
  done
  exit "$status"
}

# Whether any of the processes runs still (an ended child not yet reaped does not).
any_running() {
  local pid state
  for pid; do
    state=$(sed -n 's/.*) \(.\).*/\1/p' "/proc/$pid/stat" 2>/dev/null) || continue
    [ -n "$state" ] && [ "$state" != Z ] && return 0
  done
  return 1
}

in_namespace() { unshare --mount --propagation private "$self" enter "$@"; }

install_packages() {
  local target=$1
  # Nothing installed starts a service.
  printf '#!/bin/sh\nexit 101\n' >"$target/usr/sbin/policy-rc.d"
  chmod 755 "$target/usr/sbin/policy-rc.d"
  cp -L /etc/resolv.conf "$target/etc/resolv.conf"
  local architectures
  architectures=$(printf '%s\n' "${packages[@]}" | sed -n 's/.*:\([a-z0-9]*\)$/\1/p' | sort -u)
  in_namespace "$target" "" env DEBIAN_FRONTEND=noninteractive bash -c '
    set -e
    dpkg --configure -a
    for architecture in $1; do dpkg --add-architecture "$architecture"; done
    shift
    apt-get update -q
    apt-get install -y -q --no-install-recommends "$@"
    apt-get clean' - "$architectures" "${packages[@]}" >>"$root.log" 2>&1 || {
    say "installing in the root failed:"
    tail -n 20 "$root.log" >&2
    return 1
  }
  echo "${packages[*]}" >"$target/.vesmo-ready.part"
  mv "$target/.vesmo-ready.part" "$target/.vesmo-ready"
}

make_root() {
  ready && return 0
  mkdir -p "$(dirname "$root")"
  exec 9>>"$root.lock"
  # Waits for runs in the root to end.
  flock 9
  ready && return 0
  local started=$SECONDS
  if [ -d "$root" ]; then
    say "adding to $root: ${packages[*]}"
    install_packages "$root"
  else
    local mirror new=$root.new
    mirror=$(host_mirror)
    say "making $root (once): Debian $suite from $mirror, with ${packages[*]}"
    # What an interrupted making left.
    rm -rf --one-file-system "$new"
    : >"$root.log"
    unshare --mount --propagation private \
      debootstrap --variant=minbase --arch=amd64 "$suite" "$new" "$mirror" >>"$root.log" 2>&1 || {
      say "debootstrap failed:"
      tail -n 20 "$root.log" >&2
      return 1
    }
    install_packages "$new"
    mv "$new" "$root"
  fi
  say "ready after $((SECONDS - started)) s: $(du -sh --one-file-system "$root" | cut -f1) in $root"
}

run() {
  local dir=$1
  [ -z "$dir" ] || dir=$(cd "$dir" && pwd)
  shift
  [ -f "$root/.vesmo-ready" ] || { say "$root is not made yet"; exit 2; }
  exec 9>>"$root.lock"
  flock -s 9
  in_namespace "$root" "$dir" "$@"
}

usage() { echo "usage: debian-root.sh make ROOT SUITE PACKAGE... | run ROOT DIR|\"\" CMD..." >&2; exit 2; }
command=${1:-}
[ $# -ge 3 ] || usage
root=$2
case $command in
  make) suite=$3; shift 3; packages=("$@"); make_root ;;
  run) shift 2; run "$@" ;;
  enter) shift; enter "$@" ;;
  *) usage ;;
esac
