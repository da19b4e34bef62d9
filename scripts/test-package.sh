#!/usr/bin/env bash
# Builds the Debian package and checks it: lintian (no errors), the desktop
# entry, then installs it with dpkg, runs /usr/bin/tamrel --version and one
# end-to-end run of the installed program with per-user folders
# (tests/e2e/test_installed.py), and removes the package again whatever the
# result. Needs root, as in CI, and a machine without the package installed,
# so that it is left as it was. TAMREL_SETTINGS_TEMPLATE: the settings
# template tool (default: the one of the build tree "build").
set -euo pipefail
cd "$(dirname "$0")/.."
version="$(sed -n 's/^project(tamrel VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
deb="dist/tamrel_${version}_amd64.deb"
template="$(realpath "${TAMREL_SETTINGS_TEMPLATE:-build/tests/support/tamrel_settings_template}")"

if dpkg-query -W -f='${Status}' tamrel 2>/dev/null | grep -q "installed"; then
  echo "The tamrel package is already installed here; this test would remove it." >&2
  exit 1
fi
scripts/package.sh deb
if ! lintian --fail-on error "$deb"; then echo "lintian reports errors." >&2; exit 1; fi
desktop-file-validate packaging/linux/tamrel-setup.desktop
# A Wayland session has no screen without it.
dpkg-deb -f "$deb" Depends | grep -qw qt6-wayland || { echo "the package does not depend on qt6-wayland." >&2; exit 1; }

trap 'dpkg -r tamrel >/dev/null 2>&1 || dpkg --remove --force-all tamrel >/dev/null 2>&1 || true' EXIT
dpkg -i "$deb" >/dev/null
[ "$(/usr/bin/tamrel --version)" = "tamrel $version" ] || { echo "/usr/bin/tamrel --version is wrong." >&2; exit 1; }
status=0
/usr/bin/tamrel --no-such-switch 2>/dev/null || status=$?
[ "$status" -eq 2 ] || { echo "an unknown argument gave exit status $status, not 2." >&2; exit 1; }
(cd tests/e2e && TAMREL_EXE=/usr/bin/tamrel TAMREL_SETTINGS_TEMPLATE="$template" \
  timeout 300 /usr/bin/python3 -m unittest -v test_installed)
echo "== The package passed"
