#!/bin/sh
# Installs the build into a temporary prefix, then builds and runs a tiny C
# consumer against it twice: through CMake's find_package and through pkg-config.
#   test_install.sh <build folder> <source folder of this test>
set -eu
build=$1 here=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
prefix=$tmp/prefix
cmake --install "$build" --prefix "$prefix" > /dev/null
test -L "$prefix/lib/liboddsmith.so" && test -e "$prefix/lib/liboddsmith.so.1"
readelf -d "$prefix/lib/liboddsmith.so.1" | grep -q 'SONAME.*liboddsmith\.so\.1\]'

echo "== installed programs =="
[ "$("$prefix/bin/oddsmith" eval As Ks Qs Js Ts)" = "1 (Straight flush)" ]
"$prefix/bin/oddsmith" --version | grep -q "^oddsmith 1\.0\.0$"
if [ -e "$prefix/lib/libgpuscout.so" ]; then "$prefix/bin/gpuscout" --version | grep -q "^gpuscout 1\.0\.0$"; fi

echo "== find_package =="
cmake -S "$here" -B "$tmp/cmake-build" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" > /dev/null
cmake --build "$tmp/cmake-build" > /dev/null
"$tmp/cmake-build/consumer"

echo "== pkg-config =="
export PKG_CONFIG_PATH="$prefix/lib/pkgconfig"
cc "$here/consumer.c" -o "$tmp/pc-consumer" $(pkg-config --cflags --libs oddsmith)
LD_LIBRARY_PATH="$prefix/lib" "$tmp/pc-consumer"
[ "$(pkg-config --modversion oddsmith)" = "1.0.0" ]
echo "== Python binding from the prefix =="
# Installed with its compiled part, where a build has one (nanobind).
if [ -d "$prefix/share/oddsmith/python/oddsmith" ]; then
  PYTHONPATH="$prefix/share/oddsmith/python" python3 -c '
import oddsmith
assert oddsmith.evaluate("As Ks Qs Js Ts") == 1
assert oddsmith._l()._name.startswith("'"$prefix"'"), oddsmith._l()._name
oddsmith.set_holdem_range(1, "QQ+", seed=1)  # needs the installed built-in range data
print("python binding: ok,", oddsmith.holdem_equity("AhKh", opponents=1, range_slot=1))
'
fi
echo "install: ok"
