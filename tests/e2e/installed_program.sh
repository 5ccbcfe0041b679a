#!/usr/bin/env bash
# The installed program, as a user on a desktop meets it: install the build
# into a fresh prefix, then from an unrelated working folder run the installed
# nivora-cli on the installed examples, read its manual page, and start the
# installed nivora under a virtual X server: it opens the large example and
# F1 finds the installed help file.
# Usage: installed_program.sh BUILD_FOLDER WORK_FOLDER VERSION
set -euo pipefail

fail() { echo "installed program: $*" >&2; exit 1; }

# Waits (bounded) until no window of that name is left.
wait_gone() {
  for _ in $(seq 100); do
    xdotool search --name "$1" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  fail "window '$1' did not close"
}

wait_window() { timeout 30 xdotool search --sync --name "$1" | head -1; }

run_in_x() {
  export LC_ALL=C.UTF-8 LANG=C.UTF-8 QT_QPA_PLATFORM=xcb
  "$prefix/bin/nivora" >"$work/nivora.log" 2>&1 &
  pid=$!
  trap 'kill "$pid" 2>/dev/null || true' EXIT
  local frame about dialog help
  frame=$(wait_window '^Nivora 1.0$') || fail "no main window"
  about=$(wait_window '^Sobre o Nivora$') || fail "no opening screen"
  xdotool windowfocus --sync "$about" key Return
  wait_gone '^Sobre o Nivora$'
  xdotool windowfocus --sync "$frame" key ctrl+a
  dialog=$(wait_window '^Abrir$') || fail "no open dialog"
  xdotool windowfocus --sync "$dialog" type --delay 10 "$prefix/share/nivora/examples/FAZENDA.NVR"
  xdotool key Return
  wait_gone '^Abrir$'
  # F9 opens its dialog only with a document open.
  xdotool windowfocus --sync "$frame" key F9
  dialog=$(wait_window '^Sistematizar\.\.\.$') || fail "the example did not open"
  xdotool windowfocus --sync "$dialog" key Escape
  wait_gone '^Sistematizar\.\.\.$'
  xdotool windowfocus --sync "$frame" key F1
  help=$(wait_window '^Ajuda do Nivora$') || fail "F1 found no help file"
  import -window root "$work/installed.png" || true
}

if [ "${1:-}" = "--in-x" ]; then
  prefix=$2 work=$3
  run_in_x
  exit 0
fi

build=$1 work=$2 version=$3
rm -rf "$work"
mkdir -p "$work/elsewhere"
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
cd "$work/elsewhere"

cli=$prefix/bin/nivora-cli
"$cli" info "$prefix/share/nivora/examples/FAZENDA.NVR" | grep -q '"ColCount":300' || fail "info on the installed example"
"$cli" systematize "$prefix/share/nivora/examples/PEQUENO.NVR" --ratio 1.2 >/dev/null || fail "systematize"
[ "$("$cli" --version)" = "nivora-cli (Nivora) $version" ] || fail "nivora-cli --version is not $version"
# A command that draws runs in the helper, found from the installed nivora-cli.
"$cli" contour-map "$prefix/share/nivora/examples/PEQUENO.NVR" --equidistant -o "$work/mapa.svg" \
  || fail "contour-map through the installed drawing helper"
zcat "$prefix/share/man/man1/nivora-cli.1.gz" | grep -q '^\.SH NOME' || fail "nivora-cli(1) has no NOME section"
zcat "$prefix/share/man/man1/nivora-cli.1.gz" | grep -q 'systematize' || fail "nivora-cli(1) does not list the commands"
# nivora(1) names the files where this install put them.
page=$(zcat "$prefix/share/man/man1/nivora.1.gz")
for named in "$prefix/share/nivora/help/NVhelp.hlp" "$prefix/share/nivora/examples"; do
  grep -qF ".I $named" <<<"$page" || fail "nivora(1) does not name $named"
  [ -e "$named" ] || fail "nivora(1) names $named, which the install did not make"
done
grep -q '/usr/local' <<<"$page" && fail "nivora(1) names /usr/local paths"
for size in 16 32 48 256; do
  [ -f "$prefix/share/icons/hicolor/${size}x${size}/apps/nivora.png" ] || fail "no ${size}px icon"
done
desktop-file-validate "$prefix/share/applications/nivora.desktop" || fail "desktop entry"

xvfb-run -a -s "-screen 0 1280x800x24" "$0" --in-x "$prefix" "$work"
echo "installed program passed; screenshot in $work/installed.png"
