#!/bin/sh
# Takes docs/finished-scan.png: the demo (tools/demo/run) on a virtual X display with a window
# manager, the demo's server, user name and password typed in and Generate pressed, once the
# scan has filled its lists (tools/demo/drive). The demo runs in a temporary folder of its own,
# torn down afterwards, so a demo folder of the user's is left as it is.
# Needs: apt-get install -y xvfb xauth imagemagick openbox x11-utils xdotool (as root, this
# script installs xdotool and x11-utils when they are missing); the build in build/ or
# $QM_DEMO_BUILD (built when needed).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
demo=$here/../tools/demo
if ! command -v xdotool >/dev/null 2>&1 || ! command -v xprop >/dev/null 2>&1; then
    [ "$(id -u)" -eq 0 ] || { echo "make-finished-scan: xdotool and x11-utils are needed" >&2; exit 1; }
    apt-get install -y -qq --no-install-recommends xdotool x11-utils >/dev/null
fi
tmp=$(mktemp -d)
QM_DEMO_DIR=$tmp/demo
export QM_DEMO_DIR
trap '"$demo/run" --teardown >/dev/null; rmdir "$tmp"' EXIT
# A random first display number, so that a virtual display started elsewhere at the same
# moment is not taken for ours.
first=$(shuf -i 100-899 -n 1)
xvfb-run -a -n "$first" -s "-screen 0 1024x768x24 -nolisten tcp" \
    "$demo/drive" generate "$here/finished-scan.png"
