# Sourced by the scripts that run Wine: the build's own prefix and quiet Wine.
# LIFTORN_BUILD_DIR may point elsewhere; the default is build/ in the tree.
_liftorn_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export LIFTORN_BUILD_DIR="${LIFTORN_BUILD_DIR:-$_liftorn_root/build}"
export WINEPREFIX="${WINEPREFIX:-$LIFTORN_BUILD_DIR/wine}"
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
unset _liftorn_root
