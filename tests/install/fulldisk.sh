#!/bin/bash
# fulldisk.sh mount|unmount BUILDDIR
# Mounts a 192 KB tmpfs for the Wine test user and maps it as drive Q: of
# the build's Wine prefix; unmount undoes both. A refused mount is not an
# error here: the tests then find no Q: and report themselves as skipped.
set -u
cmd=${1:?usage: fulldisk.sh mount|unmount BUILDDIR}
build=$(cd "${2:?usage: fulldisk.sh mount|unmount BUILDDIR}" && pwd)
prefix=$(cat "$build/wine/prefix-path" 2>/dev/null) || { echo "no Wine prefix in $build"; exit 0; }
mnt=/var/tmp/korvu-fulldisk-$(echo "$build" | md5sum | cut -c1-12)
link=$prefix/dosdevices/q:

case $cmd in
mount)
    rm -f "$link"
    mountpoint -q "$mnt" && umount "$mnt"
    mkdir -p "$mnt"
    owner=$(stat -c %u "$prefix")
    if mount -t tmpfs -o size=192k,mode=0755,uid="$owner" korvu-fulldisk "$mnt" 2>/dev/null; then
        ln -s "$mnt" "$link"
        echo "fulldisk: $mnt mounted as Q:"
    else
        echo "fulldisk: mount refused; the full-disk tests will be skipped"
    fi
    ;;
unmount)
    rm -f "$link"
    mountpoint -q "$mnt" && umount "$mnt"
    rmdir "$mnt" 2>/dev/null
    exit 0
    ;;
*) echo "usage: fulldisk.sh mount|unmount BUILDDIR" >&2; exit 2 ;;
esac
