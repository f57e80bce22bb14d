#!/usr/bin/env bash
# valgrind memcheck over the host-style ctypes test and the command-line
# demonstration: no memory errors and no definite leaks in the project's code.
#   tools/memcheck.sh [build folder, default build/release]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
python=$(python3 -c 'import sys; print(sys.executable)')  # the interpreter itself, not a launcher script
memcheck=(valgrind -q --error-exitcode=9 --leak-check=full --errors-for-leak-kinds=definite
          --show-leak-kinds=definite --suppressions=tests/valgrind/cpython.supp)

echo "== memcheck: oddsmith demonstration =="
"${memcheck[@]}" "$build/bin/oddsmith" > /dev/null
echo "== memcheck: ctypes host test =="
PYTHONMALLOC=malloc "${memcheck[@]}" "$python" tests/python/test_host_ctypes.py "$build/lib/liboddsmith.so"
echo "memcheck: clean"
