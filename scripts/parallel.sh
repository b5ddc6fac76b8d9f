# Sourced by the scripts: how many jobs a build and a test run use at once. A leading "-j N" (also "-jN",
# "--jobs N", "--jobs=N") wins, then CMAKE_BUILD_PARALLEL_LEVEL, then every core. Sets `jobs`, exports it as
# CMAKE_BUILD_PARALLEL_LEVEL for any build started below, and leaves the other arguments in the array `rest`.
parse_jobs() {
  jobs="${CMAKE_BUILD_PARALLEL_LEVEL:-}"
  rest=()
  while [ $# -gt 0 ]; do
    case "$1" in
      -j | --jobs)
        [ $# -ge 2 ] || { echo "$1 needs a number" >&2; exit 2; }
        jobs="$2"
        shift 2
        ;;
      -j?*) jobs="${1#-j}"; shift ;;
      --jobs=*) jobs="${1#--jobs=}"; shift ;;
      *) break ;;
    esac
  done
  rest=("$@")
  [ -n "$jobs" ] || jobs="$(nproc)"
  case "$jobs" in
    '' | *[!0-9]* | 0) echo "the number of jobs must be a whole number above 0, not '$jobs'" >&2; exit 2 ;;
  esac
  export CMAKE_BUILD_PARALLEL_LEVEL="$jobs"
}
