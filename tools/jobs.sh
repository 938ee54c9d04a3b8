# Sourced by ./test, ./run and tools/run-fuzz: how many jobs they run side by side (builds, tests, fuzzers).
# MORWICK_JOBS caps them, on a machine shared with other work; the default is the machine's processors.
morwick_jobs() {
  local n=${MORWICK_JOBS:-$(nproc)}
  if ! [[ $n =~ ^[1-9][0-9]*$ ]]; then
    echo "MORWICK_JOBS is a number of jobs, 1 or more (it is \"$n\")" >&2
    return 1
  fi
  echo "$n"
}
