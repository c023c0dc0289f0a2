#!/bin/sh
# Makes a folder that takes no new entries while the file in it may still be written, for the
# save that writes in place (File_test), or removes it again. Permissions do not stop root, so
# root makes the folder immutable (chattr +i); anyone else takes its write permission away.
# When the folder cannot be locked, FOLDER.why says why and the test skips.
# Usage: locked_folder.sh lock|unlock FOLDER
set -e
dir=$2
unlock() {
    if [ -d "$dir" ]; then
        chattr -i "$dir" 2>/dev/null || true
        chmod u+w "$dir"
    fi
    rm -rf "$dir" "$dir.why"
}
case "$1" in
lock)
    unlock
    mkdir -p "$dir"
    printf old >"$dir/scheme.colors"
    if [ "$(id -u)" -ne 0 ]; then
        chmod a-w "$dir"
    elif chattr +i "$dir" 2>"$dir.why"; then
        rm -f "$dir.why"
    else
        echo "chattr +i failed ($(cat "$dir.why")): the filesystem or a missing CAP_LINUX_IMMUTABLE" >"$dir.why"
    fi ;;
unlock) unlock ;;
*) echo "usage: locked_folder.sh lock|unlock FOLDER" >&2; exit 2 ;;
esac
