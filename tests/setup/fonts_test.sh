#!/usr/bin/env bash
# Every font the data generator opens is installed by a package of make run's list: fonts_test.sh MKDATA
# INSTALL-DEPS. The fonts come from the generator itself (mkdata --fonts), the files of each package from dpkg.
set -uo pipefail
mkdata=$1; script=$2
mapfile -t fonts < <("$mkdata" --fonts)
mapfile -t packages < <("$script" --list run)
[ ${#fonts[@]} -gt 0 ] || { echo "FAIL: mkdata --fonts names no font"; exit 1; }
files=$(dpkg-query -L "${packages[@]}" 2>/dev/null)
notinstalled=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q ' installed$' || notinstalled+=("$p")
done
failures=0
for font in "${fonts[@]}"; do
  if ! grep -Fxq -e "$font" -e "$(readlink -f "$font")" <<<"$files"; then
    echo "FAIL: mkdata opens $font, and no package of make run's list installs it" \
      "(dpkg: $(dpkg-query -S "$font" 2>&1 | head -n 1))${notinstalled[*]:+; not installed here: ${notinstalled[*]}}"
    failures=$((failures + 1))
  fi
done
[ $failures -eq 0 ] && echo "fonts: make run's packages install all ${#fonts[@]} fonts mkdata opens"
exit $((failures > 0))
