#!/usr/bin/env bash
# Sets up, builds and runs every test, headless.
set -euo pipefail
cd "$(dirname "$0")"
./setup.sh
cmake --preset default -DNIVORA_WERROR="${NIVORA_WERROR:-OFF}" >/dev/null
cmake --build --preset default
export QT_QPA_PLATFORM=offscreen
ctest --preset default -j "$(nproc)"
