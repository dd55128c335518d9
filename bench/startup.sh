#!/bin/sh
# Start-up time of qx70-config: process start to the main window's first
# paint on Qt's offscreen platform, over several runs. Build a Release tree
# first; the executable is the first argument.
#   bench/startup.sh build-release/src/app/qx70-config [runs]
set -eu
exe=${1:?usage: startup.sh path/to/qx70-config [runs]}
runs=${2:-10}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
i=0
while [ "$i" -lt "$runs" ]; do
    start=$(date +%s%N)
    line=$(QT_QPA_PLATFORM=offscreen QX70_QUIT_WHEN_SHOWN=1 XDG_DATA_HOME="$tmp/d" \
        XDG_CONFIG_HOME="$tmp/c" "$exe" 2>&1 | grep 'main window shown after' || true)
    end=$(date +%s%N)
    echo "run $i: in-process ${line#main window shown after } | whole process $(( (end - start) / 1000000 )) ms"
    i=$((i + 1))
done
