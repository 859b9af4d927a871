#!/usr/bin/env bash
# Sets up, builds and starts NivoraDW on the demo survey: simulated GNSS and
# echosounder, the harbour chart and the planned lines, real time running.
# The demo is copied once to a working folder of your own (the repository's
# copy is never written); arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")"
./setup.sh
cmake --preset default >/dev/null
cmake --build --preset default --target NivoraDW nivora

work="${NIVORA_DEMO_DIR:-${XDG_DATA_HOME:-$HOME/.local/share}/NivoraDW/demo}"
if [ ! -f "$work/NivoraDW.INI" ]; then
  mkdir -p "$work"
  cp -R data/demo/. "$work/"
  # The chart and the planned lines as one layout, reopened at every start.
  build/tools/cli/nivora convert "$work/harbour.dxf" "$work/planned_lines.nwl" "$work/demo_layout.nwl"
  {
    echo
    echo "[FILE]"
    echo "Last File Saved=$work/demo_layout.nwl"
    echo
    echo "[GUIDANCE]"
    echo "ActiveLine=L001"
  } >>"$work/NivoraDW.INI"
  # The survey's day folders go beside the demo, not into the home folder.
  sed -i "s|^\[APPLICATION\]$|[APPLICATION]\nDataFolder=$work/NWL/|" "$work/NivoraDW.INI"
  echo "run.sh: demo survey set up in $work"
fi
exec build/app/NivoraDW --ini "$work/NivoraDW.INI" --realtime "$@"
