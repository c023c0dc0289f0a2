#!/bin/sh
# Adds Tintwright to this user's desktop, or takes it away again:
#   ./scripts/desktop-entry.sh install    a menu item with the icon; scheme files (.colors) get a
#                                         type of their own and open in Tintwright ("Open With")
#   ./scripts/desktop-entry.sh remove     removes exactly the files that install adds
# The entry starts ./scripts/run.sh of this checkout. Only files named tintwright* under the
# user's XDG data folder ($XDG_DATA_HOME, or ~/.local/share) are written or removed, with the
# desktop's caches that its tools build from them, and the folders that install makes once empty.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
data=${XDG_DATA_HOME:-$HOME/.local/share}
entry="$data/applications/tintwright.desktop"
mime="$data/mime/packages/tintwright.xml"
icon_size=48
app_icon="$data/icons/hicolor/${icon_size}x$icon_size/apps/tintwright.png"
type_icon="$data/icons/hicolor/${icon_size}x$icon_size/mimetypes/tintwright-application-x-tintwright-colors.png"
mime_type=application/x-tintwright-colors
# What update-mime-database writes beside the packages, besides a folder per media type.
mime_cache="XMLnamespaces aliases generic-icons globs globs2 icons magic mime.cache subclasses
treemagic types version"

# The desktop's caches of entries and types, brought up to date where their tools are installed.
refresh() {
    if command -v update-mime-database >/dev/null 2>&1; then update-mime-database "$data/mime"; fi
    if command -v update-desktop-database >/dev/null 2>&1; then
        update-desktop-database "$data/applications"
    fi
}

case "$1" in
install)
    mkdir -p "$(dirname "$entry")" "$(dirname "$mime")" "$(dirname "$app_icon")" \
        "$(dirname "$type_icon")"
    # The program's icon, drawn as res/Tintwright.ico is, at the size menus use.
    python3 - "$root/res" "$icon_size" "$app_icon" <<'PY'
import struct, sys, zlib
sys.path.insert(0, sys.argv[1])
from make_icon import pixel
size, path = int(sys.argv[2]), sys.argv[3]
rows = b"".join(b"\0" + bytes(c for x in range(size) for c in pixel(x, y, size))
                for y in range(size))
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
with open(path, "wb") as f:
    f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))
PY
    cp "$app_icon" "$type_icon"
    cat >"$mime" <<XML
<?xml version="1.0" encoding="UTF-8"?>
<mime-info xmlns="http://www.freedesktop.org/standards/shared-mime-info">
  <mime-type type="$mime_type">
    <comment>Tintwright Color Scheme</comment>
    <icon name="tintwright-application-x-tintwright-colors"/>
    <magic priority="50"><match type="string" offset="0" value="TWR"/></magic>
    <glob pattern="*.colors"/>
  </mime-type>
</mime-info>
XML
    cat >"$entry" <<DESKTOP
[Desktop Entry]
Type=Application
Name=Tintwright
Comment=Composes the colours of a web page's BODY tag
Exec="$root/scripts/run.sh" %f
Icon=tintwright
Terminal=false
Categories=Development;WebDevelopment;
MimeType=$mime_type;
DESKTOP
    refresh
    echo "Tintwright is in the menu; .colors files open in it. Remove it with: $0 remove"
    ;;
remove)
    rm -f "$entry" "$mime" "$app_icon" "$type_icon"
    refresh
    # The caches go where nothing else is left to cache; elsewhere refresh rebuilt them without us.
    if [ -d "$data/mime/packages" ] && [ -z "$(ls -A "$data/mime/packages")" ]; then
        for file in $mime_cache; do rm -f "$data/mime/$file"; done
        rm -f "$data/mime/$mime_type.xml"
    fi
    if [ -d "$data/applications" ] && [ -z "$(find "$data/applications" -name '*.desktop')" ]; then
        rm -f "$data/applications/mimeinfo.cache"
    fi
    icons="$data/icons/hicolor/${icon_size}x$icon_size"
    for folder in "$icons/apps" "$icons/mimetypes" "$icons" "$data/icons/hicolor" "$data/icons" \
        "$data/mime/${mime_type%%/*}" "$data/mime/packages" "$data/mime" "$data/applications"; do
        rmdir "$folder" 2>/dev/null || true
    done
    echo "Tintwright's menu item and file type are removed."
    ;;
*)
    echo "usage: $0 install | remove" >&2
    exit 2
    ;;
esac
