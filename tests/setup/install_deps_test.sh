#!/usr/bin/env bash
# scripts/install-deps against stand-ins for dpkg-query, apt-get, sudo and id: what it asks apt-get for, and
# what it says when it cannot. install_deps_test.sh SCRIPT
set -uo pipefail
script=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/install-deps-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $case: $*"; failures=$((failures + 1)); }

# Only the stand-ins and the ordinary tools the script uses are on the PATH, so that "no sudo" can be tried.
mkdir -p "$work/bin" "$work/nosudo"
for t in bash env awk grep sed mktemp rm cat dirname tail head cksum; do
  ln -s "$(command -v "$t")" "$work/bin/$t"
done
# dpkg-query -W: "installed" for the packages in $INSTALLED, nothing for the others, which dpkg never saw:
# like the real one it then ends with status 1.
cat >"$work/bin/dpkg-query" <<'STUB'
#!/usr/bin/env bash
status=0
for p in "${@:3}"; do
  if [[ " $INSTALLED " == *" $p "* ]]; then echo "$p install ok installed"
  elif [[ " ${REMOVED:-} " == *" $p "* ]]; then echo "$p deinstall ok config-files"
  else echo "dpkg-query: no packages found matching $p" >&2; status=1; fi
done
exit $status
STUB
# apt-get: records its arguments; $APT_FAILS says how it fails (locate, network).
cat >"$work/bin/apt-get" <<'STUB'
#!/usr/bin/env bash
echo "apt-get $*" >>"$CALLS"
case ${APT_FAILS:-} in
  locate) [[ " $* " == *" update "* ]] || { echo "E: Unable to locate package ${*: -1}" >&2; exit 100; } ;;
  network)
    echo "Err:1 http://deb.debian.org/debian bookworm InRelease"
    echo "  Temporary failure resolving 'deb.debian.org'"
    echo "E: Failed to fetch http://deb.debian.org/debian/pool/x.deb  Temporary failure resolving 'deb.debian.org'" >&2
    exit 100 ;;
esac
exit 0
STUB
cat >"$work/bin/sudo" <<'STUB'
#!/usr/bin/env bash
echo "sudo $*" >>"$CALLS"
exec "$@"
STUB
cat >"$work/bin/id" <<'STUB'
#!/usr/bin/env bash
echo "${UID_IS:-0}"
STUB
chmod +x "$work/bin/"*
for t in "$work/bin/"*; do [ "$(basename "$t")" = sudo ] || ln -s "$t" "$work/nosudo/"; done

# Runs the script for make run: install_deps PATHDIR [VAR=VALUE...]; sets status, out, err and calls.
install_deps() {
  local path=$1; shift
  : >"$work/calls"
  env -i PATH="$path" CALLS="$work/calls" TMPDIR="$work" "$@" "$script" run >"$work/out" 2>"$work/err"
  status=$?
  out=$(cat "$work/out"); err=$(cat "$work/err"); calls=$(cat "$work/calls")
}

mapfile -t all < <("$script" --list run)
[ ${#all[@]} -gt 5 ] || { echo "FAIL: install-deps --list run gives ${#all[@]} packages"; exit 1; }
rest=$(printf '%s ' "${all[@]}" | sed 's/ libsdl2-dev / /; s/ fonts-dejavu-extra / /; s/ cmake / /')

# is WHAT VALUE PATTERN: the case's VALUE must match the glob PATTERN.
is() { [[ $2 == $3 ]] || fail "$1: $2"; }
install=" install -y --no-install-recommends"

case="nothing missing"
install_deps "$work/bin" INSTALLED="${all[*]}"
is status $status 0; is called "$calls" ""; is said "$out$err" ""

case="some missing, as root"
install_deps "$work/bin" INSTALLED="$rest" REMOVED=cmake
is status $status 0
is called "$calls" "apt-get -o DPkg::Lock::Timeout=120$install cmake libsdl2-dev fonts-dejavu-extra"
is said "$out" "install-deps: installing 3 Debian packages for 'make run' as root: cmake libsdl2-dev fonts-dejavu-extra"

case="some missing, through sudo"
install_deps "$work/bin" INSTALLED="$rest cmake" UID_IS=1000
is status $status 0
is called "$(head -n 1 <<<"$calls")" \
  "sudo env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=120$install libsdl2-dev fonts-dejavu-extra"
is said "$out" "*with sudo: libsdl2-dev fonts-dejavu-extra"

case="apt-get fails"
install_deps "$work/bin" INSTALLED="$rest cmake" APT_FAILS=locate
is status $status "[1-9]*"
is said "$err" "install-deps: could not install libsdl2-dev fonts-dejavu-extra: apt-get install failed: E: Unable to locate package fonts-dejavu-extra"
is "refreshed the package lists" "$(grep -c ' update' <<<"$calls")" 1

case="no network"
install_deps "$work/bin" INSTALLED="$rest cmake" APT_FAILS=network
is status $status "[1-9]*"
is said "$err" "install-deps: could not install libsdl2-dev fonts-dejavu-extra: apt-get update failed: no network: the package archive cannot be reached (Temporary failure resolving 'deb.debian.org')"

case="not root and no sudo"
install_deps "$work/nosudo" INSTALLED="$rest cmake" UID_IS=1000
is status $status "[1-9]*"; is called "$calls" ""
is said "$err" "install-deps: cannot install libsdl2-dev fonts-dejavu-extra: that needs root, and this is not root and has no sudo;*"
is lines "$(wc -l <"$work/err")" 1

case="not root and no sudo, nothing missing"
install_deps "$work/nosudo" INSTALLED="${all[*]}" UID_IS=1000
is status $status 0

[ $failures -eq 0 ] && echo "install-deps: all cases pass"
exit $((failures > 0))
