#!/bin/sh
# Runs a command in a fresh Debian root, as a new contributor's machine would: a minimal system of
# the given release made by debootstrap, with its updates and security archive, the project cloned
# into it from this repository's HEAD, and nothing else. Without a command it runs the README's
# test command (tools/install-deps.sh --tests && tools/run-tests.sh).
#
#   sudo tools/fresh-machine.sh [--suite trixie|bookworm] [--keep] [--root DIR] [-- COMMAND...]
#
# --suite picks the release: trixie (Debian 13, the current stable, what a newcomer installs) by
# default, or bookworm (Debian 12). The bootstrapped base system is cached as a tarball outside the
# clone (in $KOSTKOLAM_FRESH_CACHE, /var/cache/kostkolam-fresh by default), because bootstrapping
# takes minutes and CI clones afresh; every run unpacks it into a new root, so no run sees what an
# earlier one installed. The packages apt downloads inside are kept beside it, per release, and
# only spare the next run the download: apt still checks each against the fresh root's own package
# lists. --keep leaves the root in place afterwards for a look inside. Needs root, debootstrap and
# git (installed when missing), and Debian's archive.
set -eu
cd "$(dirname "$0")/.."
top=$(pwd)

usage="usage: $0 [--suite trixie|bookworm] [--keep] [--root DIR] [-- COMMAND...]"
suite=trixie
keep=0
root=""
while [ $# -gt 0 ]; do
    case "$1" in
    --suite) suite="${2:-}"; shift ;;
    --keep) keep=1 ;;
    --root) root="${2:-}"; shift ;;
    --) shift; break ;;
    *) echo "$usage" >&2; exit 2 ;;
    esac
    shift
done
case "$suite" in
trixie | bookworm) ;;
*) echo "$usage" >&2; exit 2 ;;
esac
if [ $# -eq 0 ]; then
    set -- sh -c 'tools/install-deps.sh --tests && tools/run-tests.sh'
fi

if [ "$(id -u)" -ne 0 ]; then
    echo "$0: needs root (debootstrap and chroot)" >&2
    exit 1
fi
for tool in debootstrap git; do
    command -v "$tool" >/dev/null 2>&1 || command -v "/usr/sbin/$tool" >/dev/null 2>&1 || {
        DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$tool"
    }
done

cache="${KOSTKOLAM_FRESH_CACHE:-/var/cache/kostkolam-fresh}"
base="$cache/$suite-minbase.tar"
archives="$cache/apt-$suite"
mkdir -p "$cache" "$archives/partial"
if [ ! -f "$base" ]; then
    staging="$cache/staging-$suite"
    rm -rf "$staging"
    # The mirror is debootstrap's default for Debian; the apt sources below add the updates.
    /usr/sbin/debootstrap --variant=minbase "$suite" "$staging"
    tar -C "$staging" -cf "$base.part" . && mv "$base.part" "$base"
    rm -rf "$staging"
fi

[ -n "$root" ] || root="$cache/root-$suite-$(date +%Y%m%d-%H%M%S)-$$"
mkdir -p "$root"
tar -C "$root" -xf "$base"

mounted=""
cleanup() {
    for m in $mounted; do umount -l "$m" 2>/dev/null || true; done
    if [ "$keep" -eq 0 ]; then rm -rf "$root"; else echo "root kept in $root"; fi
}
trap cleanup EXIT INT TERM

# A fresh machine gets its packages from the release, its updates and the security archive. The
# mirror debootstrap wrote is kept; the two other suites are added beside it.
mirror=$(awk '$1 == "deb" { print $2; exit }' "$root/etc/apt/sources.list")
security=$(printf '%s' "$mirror" | sed 's#/debian/*$#/debian-security#')
cat >"$root/etc/apt/sources.list" <<SOURCES
deb $mirror $suite main
deb $mirror $suite-updates main
deb $security $suite-security main
SOURCES
cp /etc/resolv.conf "$root/etc/resolv.conf"
# The host's own certificate authorities (those of a TLS-inspecting proxy on its network, say) go
# with its network settings, so that the root reaches the npm registry as the host does. Node
# (npm) reads them from NODE_EXTRA_CA_CERTS; the system's store takes them once ca-certificates is
# installed.
extra_ca=""
if ls /usr/local/share/ca-certificates/*.crt >/dev/null 2>&1; then
    mkdir -p "$root/usr/local/share/ca-certificates"
    cp /usr/local/share/ca-certificates/*.crt "$root/usr/local/share/ca-certificates/"
    cat /usr/local/share/ca-certificates/*.crt >"$root/etc/host-ca-certificates.pem"
    extra_ca="NODE_EXTRA_CA_CERTS=/etc/host-ca-certificates.pem"
fi

for m in proc sys dev dev/pts dev/shm tmp var/cache/apt/archives; do
    mkdir -p "$root/$m"
done
mount -t proc proc "$root/proc" && mounted="$root/proc $mounted"
mount -t sysfs sys "$root/sys" && mounted="$root/sys $mounted"
mount --bind /dev "$root/dev" && mounted="$root/dev $mounted"
mount -t devpts devpts "$root/dev/pts" && mounted="$root/dev/pts $mounted"
mount -t tmpfs shm "$root/dev/shm" && mounted="$root/dev/shm $mounted"
mount -t tmpfs tmp "$root/tmp" && mounted="$root/tmp $mounted"
mount --bind "$archives" "$root/var/cache/apt/archives" && mounted="$root/var/cache/apt/archives $mounted"

# The project as a new contributor gets it: a clone of the committed tree, no build directories.
git clone -q --no-hardlinks "$top" "$root/root/kostkolam"
echo "fresh root ($suite): $root; project at $(git -C "$top" rev-parse --short HEAD); running: $*"

start=$(date +%s)
status=0
# shellcheck disable=SC2086
chroot "$root" /usr/bin/env -i HOME=/root TERM=dumb LANG=C.UTF-8 $extra_ca \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    sh -c 'cd /root/kostkolam && exec "$@"' sh "$@" || status=$?
echo "fresh root ($suite): exit status $status after $(($(date +%s) - start)) s"
exit "$status"
