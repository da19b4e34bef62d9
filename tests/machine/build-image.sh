#!/usr/bin/env bash
# Builds the cabinet: a Debian 12 disk image with Tamrel's .deb installed by
# apt, and the kernel and initrd to boot it with.
#   tests/machine/build-image.sh DEB OUT_FOLDER
# Prints the folder holding rootfs.img, vmlinuz and initrd.img. Two layers,
# each cached in OUT_FOLDER by a hash of what went into it: the base
# (build-base.sh: the packages, slow) and on top the image (the .deb and the
# guest's own files, guest/ and guest-setup.sh), which changes with every
# build. Needs root (mmdebstrap, chroot, mount), e2fsprogs and the mirror.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
deb="$(realpath "$1")"
out="$(mkdir -p "$2" && realpath "$2")"

say() { echo "[image] $*" >&2; }
hash_of() { sha256sum | cut -c1-16; }

base_hash="$( { dpkg-deb -f "$deb" Depends; cat "$here/packages.txt" "$here/build-base.sh"; } | hash_of)"
image_hash="$( { echo "$base_hash"; cat "$deb" "$here/build-image.sh" "$here/guest-setup.sh";
  (cd "$here/guest" && find . -type f | sort | xargs sha256sum); } | hash_of)"
base="$out/base-$base_hash"
image="$out/image-$image_hash"

if [ -f "$image/done" ]; then say "cached: $image"; echo "$image"; exit 0; fi

if [ ! -f "$base/done" ]; then
  say "building the base $base_hash (packages from the mirror, some minutes)"
  rm -rf "$out"/base-*
  mkdir -p "$base"
  "$here/build-base.sh" "$deb" "$base/root" >&2
  touch "$base/done"
fi

say "installing $(basename "$deb") and the guest's files into the image $image_hash"
rm -rf "$out"/image-*
mkdir -p "$image"
root="$image/root"
cp -a "$base/root" "$root"
mounted=()
cleanup() {
  for mount in "${mounted[@]}"; do umount "$mount" 2>/dev/null || true; done
  mounted=()
}
trap cleanup EXIT
mount -t proc proc "$root/proc" && mounted+=("$root/proc")
mount --bind /dev "$root/dev" && mounted+=("$root/dev")
cp /etc/resolv.conf "$root/etc/resolv.conf"
cp "$deb" "$root/tmp/"
# apt resolves the Depends; the base already holds their packages.
chroot "$root" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "/tmp/$(basename "$deb")" >&2
chroot "$root" apt-get clean
rm -f "$root/tmp/$(basename "$deb")" "$root/etc/resolv.conf"
cp -r --preserve=mode "$here/guest/." "$root/"
"$here/guest-setup.sh" "$root" >&2
cleanup
trap - EXIT

cp -L "$root/vmlinuz" "$image/vmlinuz"
cp -L "$root/initrd.img" "$image/initrd.img"
size_mb=$(( $(du -sm "$root" | cut -f1) + 768 ))
mke2fs -q -t ext4 -L cabinet -d "$root" "$image/rootfs.img" "${size_mb}M" >&2
rm -rf "$root"
touch "$image/done"
say "built $image"
echo "$image"
