# Sourced by the script tests: the checkout ($root), a scratch folder ($tmp,
# removed at the end), and the failure count with `bad` to add one and say
# why, `finish NAME` to end with the status.
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
bad() { echo "FAILED: $*"; failures=$((failures + 1)); }
finish() {
    [ $failures = 0 ] && echo "$1: all cases passed"
    exit $((failures > 0))
}
