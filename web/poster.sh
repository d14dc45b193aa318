#!/bin/sh
# The page's poster for shared links: the desktop program's own frame of the turning menu, written by its
# screenshot key in a headless run (which writes into the current folder). poster.sh DESKTOPBUILD OUT.png
set -eu
build=$(cd "$1" && pwd)
out=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
echo "59.5 F12" >"$work/poster.keys"
(cd "$work" && HOME=$work XDG_CONFIG_HOME=$work "$build/showcase-fs" --data "$build/data" --headless \
  --keys poster.keys --frames 3580 >/dev/null)
cp "$work"/showcase-*.png "$out"
