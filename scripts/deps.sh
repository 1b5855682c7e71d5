#!/usr/bin/env bash
# Installs the Debian packages the project needs; does nothing when all are there.
set -euo pipefail
packages=(cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev libgtest-dev libgmock-dev
          libbenchmark-dev libcli11-dev libfmt-dev nlohmann-json3-dev zlib1g-dev fonts-liberation libqt6svg6 xvfb
          desktop-file-utils dpkg-dev file help2man man-db bash-completion
          libxml2-utils
          python3-jsonschema pybind11-dev python3-dev python3-pytest lintian)
missing=()
for p in "${packages[@]}"; do
  [ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" = 'install ok installed' ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

# Another install (unattended-upgrades, a second terminal) may hold the
# package manager's locks. We wait for it, up to 10 minutes in all, instead of
# failing: apt-get waits for dpkg's lock itself when given a timeout, but
# `apt-get update` fails at once on the lists' lock, so we look at the locks
# first. The tests name their own lock files.
read -r -a locks <<<"${KBR370_APT_LOCKS:-/var/lib/dpkg/lock-frontend /var/lib/dpkg/lock /var/lib/apt/lists/lock}"
deadline=$((SECONDS + 600))
# A lock is held when /proc/locks lists its file, as MAJOR:MINOR:INODE.
lock_held() {
  local file ids=()
  for file in "${locks[@]}"; do
    [ -e "$file" ] || continue
    local dev=$((0x$(stat -c %D "$file")))
    ids+=("$(printf '%02x:%02x:%d' $(((dev >> 8) & 0xfff)) $(((dev & 0xff) | ((dev >> 12) & 0xfff00))) \
      "$(stat -c %i "$file")")")
  done
  [ ${#ids[@]} -gt 0 ] && awk -v ids="${ids[*]}" \
    'BEGIN { n = split(ids, list, " "); for (i = 1; i <= n; i++) want[list[i]] = 1 }
     { for (i = 1; i <= NF; i++) if ($i in want) found = 1 }
     END { exit !found }' /proc/locks 2>/dev/null
}
said_waiting=
wait_for_locks() {
  while lock_held && [ $SECONDS -lt $deadline ]; do
    if [ -z "$said_waiting" ]; then
      echo "Another package install is running; waiting for it to finish (up to 10 minutes)..."
      said_waiting=1
    fi
    sleep 1
  done
}
lock_timeout() { local left=$((deadline - SECONDS)); echo $((left > 0 ? left : 1)); }

echo "Installing: ${missing[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
wait_for_locks
"${sudo[@]}" apt-get -o DPkg::Lock::Timeout="$(lock_timeout)" update -qq
wait_for_locks
"${sudo[@]}" apt-get -o DPkg::Lock::Timeout="$(lock_timeout)" install -y -qq --no-install-recommends \
  "${missing[@]}" </dev/null
