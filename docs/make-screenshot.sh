#!/bin/sh
# Takes docs/main-dialog.png: the program under a virtual X display with a window manager.
# Needs: apt-get install -y xvfb xauth imagemagick openbox; a build in build/ (or $1).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
program=$(realpath "${1:-$here/../build/app/quillmere}")
inner=$(mktemp)
trap 'rm -f "$inner"' EXIT
cat > "$inner" <<INNER
#!/bin/sh
openbox >/dev/null 2>&1 & wm=\$!
# The window manager first, so that it frames the dialog from the start (bounded wait).
for i in \$(seq 1 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done
"$program" >/dev/null 2>&1 & app=\$!
# Wait (bounded) until the main dialog's window is on the display, then let it paint.
for i in \$(seq 1 100); do
    xwininfo -root -tree 2>/dev/null | grep -q '"Quillmere"' && break
    sleep 0.1
done
# Take the picture once the screen is no longer blank (bounded).
for i in \$(seq 1 20); do
    sleep 0.5
    import -window root "$here/main-dialog.png"
    [ "\$(convert "$here/main-dialog.png" -format '%[fx:standard_deviation>0.01]' info:)" = 1 ] && break
done
kill \$app \$wm
INNER
chmod +x "$inner"
xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$inner"
convert "$here/main-dialog.png" -trim +repage "$here/main-dialog.png"
