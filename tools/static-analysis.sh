#!/usr/bin/env bash
# The engine's include rule between layers, then clang-tidy (checks in
# .clang-tidy) and cppcheck over the project's own C++ sources, from a
# configured build's compile_commands.json. CUDA sources are left
# to the compiler's warnings, and the Python extension (whose headers cppcheck cannot
# read) to clang-tidy alone. Exit status 0 only when all three are clean.
#   tools/static-analysis.sh [build folder, default build/release]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}

# The layers' include rule where the build's include roots cannot enforce it
# (oddsmith/README.md): a quoted include is looked up beside the including file
# first, so a file directly in oddsmith/ (exports.cpp), or any path with "../",
# could reach a layer's internal/ headers. Here an engine file includes no
# other layer's internal/ header and no path with "../".
layer_findings=$(grep -rnE --include='*.cpp' --include='*.h' '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' oddsmith |
  awk -F: '{
    n = split($1, path, "/"); layer = (n > 2) ? path[2] : ""
    included = $0; sub(/^[^"]*"/, "", included); sub(/".*$/, "", included)
    if (included ~ /(^|\/)\.\.\// || (included ~ /^[a-z_0-9]+\/internal\// && included !~ ("^" layer "/internal/")))
      print
  }')
if [ -n "$layer_findings" ]; then
  echo "$layer_findings"
  echo "layers: an include above reaches into another layer's internal/ headers or climbs out with ../"
  exit 1
fi
echo "layers: clean"

[ -f "$build/compile_commands.json" ] || { echo "no $build/compile_commands.json: configure first"; exit 2; }

mapfile -t sources < <(python3 - "$build/compile_commands.json" <<'PY'
import json, os, sys
root = os.getcwd() + os.sep
files = {e["file"] for e in json.load(open(sys.argv[1]))}
for f in sorted(files):
    if f.endswith(".cpp") and f.startswith(root) and not f.startswith(root + "build"):
        print(f)
PY
)
echo "clang-tidy: ${#sources[@]} files"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! printf '%s\n' "${sources[@]}" | xargs -P "$(nproc)" -n 4 clang-tidy -p "$build" --quiet > "$log" 2>&1; then
  grep -v -E '^[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$|^Suppressed [0-9]+ warnings|^Use -header-filter|^$' "$log"
  echo "clang-tidy: findings above"
  exit 1
fi
echo "clang-tidy: clean"

# cppcheck reads the project's own sources only: not the build's, the Python
# extension's or nanobind's (their Python headers need the real preprocessor),
# nor the starting-hand rankings' data file (134,459 lines of initialisers,
# which it takes tens of minutes over; clang-tidy reads it).
commands_dir=$(mktemp -d)
commands=$commands_dir/compile_commands.json  # cppcheck knows a project by this name
trap 'rm -rf "$log" "$commands_dir"' EXIT
python3 - "$build/compile_commands.json" "$commands" <<'PY'
import json, os, sys
root = os.getcwd() + os.sep
keep = [e for e in json.load(open(sys.argv[1]))
        if e["file"].startswith(root) and not e["file"].startswith((root + "build", root + "python" + os.sep))
        and not e["file"].endswith("start_order_data.cpp")]
json.dump(keep, open(sys.argv[2], "w"))
PY
cppcheck --project="$commands" --enable=warning,performance,portability --library=googletest \
  --std=c++20 --inline-suppr --error-exitcode=1 -q -i gpuscout/kernels --suppress=missingIncludeSystem
echo "cppcheck: clean"
