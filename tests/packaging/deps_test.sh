#!/usr/bin/env bash
# scripts/deps.sh waits, saying so once, while another install holds a lock of
# the package manager, and gives apt-get a lock timeout; without a lock it goes
# straight on. apt-get, sudo and dpkg-query are stand-ins that record.
set -euo pipefail
deps=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/kbr370-deps-XXXXXX")
holder=
trap '[ -n "$holder" ] && kill "$holder" 2>/dev/null; rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

mkdir "$work/bin"
cat >"$work/bin/dpkg-query" <<'STUB'
#!/bin/sh
# Every package is installed but one.
case "$*" in *" file") echo "deinstall ok config-files" ;; *) echo "install ok installed" ;; esac
STUB
cat >"$work/bin/apt-get" <<'STUB'
#!/bin/sh
held=free
[ -n "${HOLDER:-}" ] && kill -0 "$HOLDER" 2>/dev/null && held=held
echo "$held $*" >>"$APT_LOG"
STUB
printf '#!/bin/sh\nexec "$@"\n' >"$work/bin/sudo"
chmod +x "$work/bin/"*
touch "$work/lock"
export PATH="$work/bin:$PATH" KBR370_APT_LOCKS="$work/lock $work/no-such-lock" APT_LOG="$work/apt.log"

# Another install holds the lock for 2 s.
flock "$work/lock" sleep 2 &
holder=$!
export HOLDER=$holder
for _ in $(seq 50); do grep -q ":$(stat -c %i "$work/lock") " /proc/locks && break; sleep 0.1; done
out=$("$deps" 2>&1) || fail "deps.sh failed while waiting: $out"
[[ $(grep -c 'waiting for it to finish (up to 10 minutes)' <<<"$out") == 1 ]] ||
  fail "the wait is not said exactly once: $out"
grep -q '^held' "$work/apt.log" && fail "apt-get ran while the lock was held: $(cat "$work/apt.log")"
grep -q 'DPkg::Lock::Timeout=[1-9][0-9]* update' "$work/apt.log" || fail "update has no lock timeout"
grep -q 'DPkg::Lock::Timeout=[1-9][0-9]* install .* file$' "$work/apt.log" ||
  fail "install has no lock timeout or misses the package: $(cat "$work/apt.log")"

# No lock: no waiting.
wait "$holder" || true
holder=
: >"$work/apt.log"
out=$("$deps" 2>&1) || fail "deps.sh failed: $out"
grep -q -i 'waiting' <<<"$out" && fail "waited with no lock held: $out"
[[ $(wc -l <"$work/apt.log") == 2 ]] || fail "apt-get was not run twice: $(cat "$work/apt.log")"

[[ $failures == 0 ]] || exit 1
echo "deps.sh checked"
