#!/usr/bin/env bash
# The cabinet's base: Debian 12 with the packages of packages.txt, and the
# packages the .deb's Depends name downloaded beforehand (not installed: apt
# installs them with the .deb, which proves its Depends).
#   tests/machine/build-base.sh DEB FOLDER      (run by build-image.sh)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
deb="$1" folder="$2"
mirror="${TAMREL_MIRROR:-http://deb.debian.org/debian}"
security="${TAMREL_SECURITY_MIRROR:-http://deb.debian.org/debian-security}"
packages="$(grep -v '^#' "$here/packages.txt" | xargs | tr ' ' ',')"
# A small initrd, quick to make and to boot: the root is on a virtio disk.
initramfs='mkdir -p "$1/etc/initramfs-tools/conf.d" "$1/etc/initramfs-tools/hooks"
  echo MODULES=list > "$1/etc/initramfs-tools/conf.d/cabinet.conf"
  printf "#!/bin/sh\n[ \"\$1\" = prereqs ] && exit 0\n. /usr/share/initramfs-tools/hook-functions\nforce_load virtio_pci\nforce_load virtio_blk\nforce_load ext4\n" > "$1/etc/initramfs-tools/hooks/cabinet"
  chmod 755 "$1/etc/initramfs-tools/hooks/cabinet"'
mmdebstrap --variant=minbase --include="$packages" --essential-hook="$initramfs" \
  --customize-hook="copy-in $deb /tmp" \
  --customize-hook='chroot "$1" apt-get install -y -q --download-only /tmp/'"$(basename "$deb")" \
  --customize-hook='rm "$1"/tmp/*.deb' \
  --skip=cleanup/apt bookworm "$folder" \
  "deb $mirror bookworm main" "deb $mirror bookworm-updates main" "deb $security bookworm-security main"
