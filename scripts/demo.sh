#!/usr/bin/env bash
# The main job on the bundled sample data, as far as the tool does it today.
set -euo pipefail
dir=${1:-build/demo}
"$dir"/kzmap --version
"$dir"/kzmap demo --plugin "$dir"/Kartzmap.so
