#!/bin/sh
# Runs one fuzz target from a fresh working corpus.
# Usage: run_fuzz_target.sh FUZZER WORK_DIR [libFuzzer options] CORPUS_DIR...
# New inputs go to WORK_DIR (emptied first); the corpus directories are only
# read. A corpus directory that does not exist yet is created empty.
set -eu
fuzzer=$1
work=$2
shift 2
rm -rf "$work"
mkdir -p "$work"
for arg in "$@"; do
  case "$arg" in
    -*) ;;
    *) mkdir -p "$arg" ;;
  esac
done
exec "$fuzzer" "$work" "$@"
