#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian 12 machine (as root) and makes
# 32-bit Linux programs runnable. Safe to run again: it only does what is missing.
set -euo pipefail

apt_install() {
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$@" >/dev/null
}

updated=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
    apt-get update -qq
    updated=1
fi

missing=()
command -v i686-w64-mingw32-g++-win32 >/dev/null || missing+=(g++-mingw-w64-i686)
command -v cmake >/dev/null                     || missing+=(cmake)
command -v xvfb-run >/dev/null                  || missing+=(xvfb xauth)
[ -d /usr/src/googletest ]                      || missing+=(googletest)
[ -x /usr/lib/wine/wine ]                       || missing+=(wine wine32:i386 wine64)
dpkg -s fonts-ipafont-gothic >/dev/null 2>&1    || missing+=(fonts-ipafont-gothic)
if [ ${#missing[@]} -gt 0 ]; then
    echo "setup-host: installing ${missing[*]}"
    [ "$updated" = 1 ] || { apt-get update -qq; updated=1; }
    apt_install "${missing[@]}"
fi

# Wine's 32-bit loader is an i386 Linux program. Some virtual machines (PVM guests among
# them) cannot run 32-bit Linux code at all; there it runs under qemu's user-mode emulator,
# registered with binfmt_misc. Debian 12's own qemu (7.2) needs minutes to start each Wine
# process because of how it tracks guest mappings; the backported 10.x needs well under a
# second.
native_i386() { /usr/lib/wine/wine --version >/dev/null 2>&1; }
native_i386 && exit 0

qemu_major() { /usr/bin/qemu-i386 --version 2>/dev/null | sed -n 's/^qemu-i386 version \([0-9]*\).*/\1/p'; }
if [ "$(qemu_major)" = "" ] || [ "$(qemu_major)" -lt 8 ]; then
    echo "setup-host: 32-bit programs do not run natively; installing qemu-user from bookworm-backports"
    if ! grep -rqs bookworm-backports /etc/apt/sources.list /etc/apt/sources.list.d; then
        cat > /etc/apt/sources.list.d/bookworm-backports.sources <<'SRC'
Types: deb
URIs: http://deb.debian.org/debian
Suites: bookworm-backports
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
    fi
    apt-get update -qq
    apt_install -t bookworm-backports qemu-user-static
fi

binfmt=/proc/sys/fs/binfmt_misc
mountpoint -q "$binfmt" || mount -t binfmt_misc binfmt_misc "$binfmt"
# The F flag opens the interpreter at registration, so an entry made before qemu was
# replaced still runs the old binary: drop every i386 entry and register afresh.
for entry in "$binfmt"/varoq-i386 "$binfmt"/qemu-i386 "$binfmt"/i386; do
    if [ -e "$entry" ]; then echo -1 > "$entry"; fi
done
printf '%s' ':varoq-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386:F' \
    > "$binfmt"/register
native_i386 || { echo "setup-host: 32-bit Wine still does not start" >&2; exit 1; }
echo "setup-host: 32-bit programs run through qemu-i386 $(qemu_major).x"
