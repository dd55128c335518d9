#!/usr/bin/env bash
# Installs the Debian package into a clean Debian 12 and runs it there:
# a copy of a minimal Debian 12 chroot, `apt-get install ./<package>` (the
# dependencies come from the Debian archive), `qx70-config --version`, a
# start with the simulator on Qt's offscreen platform until the window is
# shown (the program finds its folder and skin), the installed files checked, then `apt-get remove` and a check that nothing of
# the package is left. Needs root and the network (the Debian mirror).
#
#   scripts/check-package-install.sh [package.deb]
#
# Without an argument the package is built by scripts/package.sh. The base
# is QX70_CHROOT_BASE (default /var/tmp/qx70-fresh-base, the minimal
# Debian 12 that ../shared/tools/fresh-debian-check caches; it is only
# copied, never changed); the copy is QX70_CHROOT (default
# /var/tmp/qx70-package-check), deleted and made anew on every run.
set -euo pipefail
cd "$(dirname "$0")/.."
base=${QX70_CHROOT_BASE:-/var/tmp/qx70-fresh-base}
root=${QX70_CHROOT:-/var/tmp/qx70-package-check}
deb=${1:-}
case $root in /var/tmp/?*) ;; *) echo "QX70_CHROOT must be a folder below /var/tmp" >&2; exit 2 ;; esac
[ "$(id -u)" -eq 0 ] || { echo "needs root (chroot, mount)" >&2; exit 2; }
[ -f "$base/.ready" ] || [ -x "$base/bin/bash" ] || { echo "no Debian 12 base in $base" >&2; exit 2; }
if [ -z "$deb" ]; then
    deb=$(scripts/package.sh | tail -n 1)
fi
[ -f "$deb" ] || { echo "no package: $deb" >&2; exit 2; }

# Never delete while anything is still mounted below the copy (a bind mount
# of /dev would take the host's with it).
cleanup() {
    for m in proc dev; do umount -R -l "$root/$m" 2>/dev/null || true; done
}
still_mounted() { awk -v r="$root/" 'index($2, r) == 1 { found = 1 } END { exit !found }' /proc/mounts; }
trap cleanup EXIT INT TERM HUP
cleanup
if still_mounted; then
    echo "something is still mounted under $root: unmount it by hand; nothing deleted" >&2
    exit 1
fi
rm -rf --one-file-system "$root"
cp -a "$base" "$root"
cp "$deb" "$root/tmp/qx70-config.deb"
cp /etc/resolv.conf "$root/etc/resolv.conf"
cp -r /etc/apt/sources.list.d "$root/etc/apt/" 2>/dev/null || true
mount -t proc proc "$root/proc"
mount --rbind /dev "$root/dev" && mount --make-rslave "$root/dev"

in_root() {
    chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 \
        DEBIAN_FRONTEND=noninteractive bash -c "$1"
}
echo "-- apt-get install ./qx70-config.deb"
in_root 'apt-get update -q >/dev/null && apt-get install -y -q --no-install-recommends /tmp/qx70-config.deb' |
    tail -n 3
echo "-- qx70-config --version"
version=$(in_root 'qx70-config --version')
echo "$version"
[[ $version == "qx70-config "* ]] || { echo "FAILED: no version line" >&2; exit 1; }
echo "-- qx70-config --simulate (offscreen, until its window is shown)"
started=$(in_root 'QT_QPA_PLATFORM=offscreen QX70_QUIT_WHEN_SHOWN=1 timeout 120 qx70-config --simulate 2>&1')
printf '%s\n' "$started" | grep -m 1 'main window shown after' || true
[[ $started == *"main window shown after"* ]] || { echo "FAILED: the window was not shown" >&2; exit 1; }
for f in /usr/share/qx70-config/skin/main.ui /usr/share/applications/io.qx70.Qx70Config.desktop \
    /usr/lib/udev/rules.d/70-qx70-config.rules /usr/share/man/man1/qx70-config.1.gz; do
    [ -f "$root$f" ] || { echo "FAILED: $f not installed" >&2; exit 1; }
done
echo "-- apt-get remove qx70-config"
in_root 'apt-get remove -y -q qx70-config' | tail -n 1
if [ -e "$root/usr/bin/qx70-config" ] || [ -e "$root/usr/share/qx70-config" ]; then
    echo "FAILED: files left after removal" >&2
    exit 1
fi
echo "PASSED: installed, ran and removed on a clean Debian 12"
