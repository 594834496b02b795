#!/usr/bin/env bash
# Runs the picture hash natively and as WebAssembly under node and compares
# what they print: exit code, number of images and the hash over all of
# them. A single rounding that differs anywhere changes the hash.
#   same_picture.sh NATIVE_EXE WASM_JS
set -euo pipefail
command -v node >/dev/null || { echo "same_picture: node is not installed"; exit 1; }
start=$(date +%s%N)
native=$(VELMORA_BACKEND=headless "$1")
middle=$(date +%s%N)
wasm=$(node "$2")
end=$(date +%s%N)
echo "native:      $native ($(( (middle - start) / 1000000 )) ms)"
echo "WebAssembly: $wasm ($(( (end - middle) / 1000000 )) ms under node, start-up included)"
[[ $native == "exit 0, "* ]] || { echo "same_picture: the native run failed"; exit 1; }
[[ $native == "$wasm" ]] || { echo "same_picture: FAILED: the two builds drew different pictures"; exit 1; }
