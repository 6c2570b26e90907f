#!/usr/bin/env bash
# Runs a command under the openbox window manager on $DISPLAY, then stops the
# manager; exits with the command's status:
#   .ci/with-openbox.sh COMMAND [ARGS...]
set -euo pipefail

if [ -z "${DISPLAY:-}" ]; then
  echo "with-openbox: DISPLAY is not set" >&2
  exit 2
fi

log=$(mktemp)
openbox --sm-disable >"$log" 2>&1 &
openbox=$!

stop_openbox() {
  kill "$openbox" 2>/dev/null || true
  wait "$openbox" 2>/dev/null || true
  rm -f "$log"
}
trap stop_openbox EXIT

# The manager is ready once it names its check window on the root.
ready=no
for _ in $(seq 200); do
  if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; then
    ready=yes
    break
  fi
  if ! kill -0 "$openbox" 2>/dev/null; then
    break
  fi
  sleep 0.05
done
if [ "$ready" != yes ]; then
  echo "with-openbox: openbox did not start" >&2
  cat "$log" >&2
  exit 1
fi

status=0
"$@" || status=$?
exit "$status"
