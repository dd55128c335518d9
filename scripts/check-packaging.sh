#!/usr/bin/env bash
# Checks the desktop integration and the Debian package with the standard
# validators: desktop-file-validate, appstreamcli validate --no-net, the
# manual page rendered by man with warnings on, and lintian on the package
# (the one given, else one built by scripts/package.sh). Ends with
# "packaging checks: N passed, M failed"; exits non-zero when one failed.
set -uo pipefail
cd "$(dirname "$0")/.."
deb=${1:-}
passed=0
failed=0
check() {  # name command...
    local name=$1 out
    shift
    if out=$("$@" 2>&1); then
        passed=$((passed + 1))
        echo "ok   $name"
    else
        failed=$((failed + 1))
        echo "FAIL $name"
        printf '%s\n' "$out" | sed 's/^/     /'
    fi
}
man_clean() {  # renders with every groff warning; any output is a failure
    local warnings
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$1" 2>&1 >/dev/null)
    [ -z "$warnings" ] || { printf '%s\n' "$warnings"; return 1; }
}
lintian_clean() {  # errors fail; warnings are shown
    local out
    out=$(lintian --tag-display-limit 0 "$1" 2>&1)
    printf '%s\n' "$out"
    ! grep -q '^E: ' <<<"$out"
}
package_holds() {  # package path...: the package installs each path
    # grep reads a here-string, not a pipe (as in lintian_clean): under
    # pipefail, grep -q quitting at its first match can kill the writer with
    # SIGPIPE and fail the check
    local listing
    listing=$(dpkg-deb -c "$1") || return 1
    shift
    for path in "$@"; do
        grep -q " \./${path#/}\$" <<<"$listing" || { echo "missing $path"; return 1; }
    done
}

check "desktop entry" desktop-file-validate packaging/io.qx70.Qx70Config.desktop
check "AppStream metadata" appstreamcli validate --no-net packaging/io.qx70.Qx70Config.metainfo.xml
check "manual page" man_clean packaging/qx70-config.1

if [ -z "$deb" ]; then
    deb=$(scripts/package.sh | tail -n 1) || deb=
fi
if [ -n "$deb" ] && [ -f "$deb" ]; then
    check "package content" package_holds "$deb" /usr/bin/qx70-config \
        /usr/share/qx70-config/skin/main.ui \
        /usr/share/applications/io.qx70.Qx70Config.desktop \
        /usr/share/metainfo/io.qx70.Qx70Config.metainfo.xml \
        /usr/share/icons/hicolor/scalable/apps/io.qx70.Qx70Config.svg \
        /usr/share/icons/hicolor/256x256/apps/io.qx70.Qx70Config.png \
        /usr/share/man/man1/qx70-config.1.gz \
        /usr/share/doc/qx70-config/copyright \
        /usr/lib/udev/rules.d/70-qx70-config.rules
    check "lintian" lintian_clean "$deb"
else
    failed=$((failed + 1))
    echo "FAIL package (not built)"
fi
echo "packaging checks: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
