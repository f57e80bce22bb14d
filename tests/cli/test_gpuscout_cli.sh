#!/bin/sh
# Checks the gpuscout command-line program. Without a GPU: the zero-device report,
# a plain statement that no GPU is available, and exit status 1. With one: the
# report and a pass line for each compute test.
#   test_gpuscout_cli.sh <path to gpuscout>
for help in --help -h help; do
  "$1" "$help" | grep -q "^usage: gpuscout" || { echo "gpuscout $help: no usage text"; exit 1; }
done
"$1" --bogus 2>&1 | grep -q "unexpected argument '--bogus'" && [ "$("$1" --bogus >/dev/null 2>&1; echo $?)" -eq 2 ] ||
  { echo "gpuscout --bogus: not refused with status 2"; exit 1; }
"$1" 2>&1 >/dev/full | grep -q "gpuscout: cannot write the output" || { echo "gpuscout >/dev/full: not reported"; exit 1; }
out=$("$1")
status=$?
if printf '%s' "$out" | grep -q "No CUDA-capable GPU is available"; then
  printf '%s' "$out" | grep -q "Result = PASS" && [ "$status" -eq 1 ] && echo "no GPU: as expected" && exit 0
else
  [ "$(printf '%s\n' "$out" | grep -c ' pass$')" -eq 3 ] && [ "$status" -eq 0 ] && echo "GPU: all pass" && exit 0
fi
echo "unexpected (status $status):"
printf '%s\n' "$out"
exit 1
