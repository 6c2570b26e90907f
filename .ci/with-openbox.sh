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
ready=$(mktemp -u)
# Openbox runs the --startup command once it has taken over the display; it
# names its check window on the root earlier, before it manages windows.
openbox --sm-disable --startup "touch $ready" >"$log" 2>&1 &
openbox=$!

stop_openbox() {
  kill "$openbox" 2>/dev/null || true
  wait "$openbox" 2>/dev/null || true
  rm -f "$log" "$ready"
}
trap stop_openbox EXIT

started=no
for _ in $(seq 400); do
  if [ -e "$ready" ] && xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; then
    started=yes
    break
  fi
  if ! kill -0 "$openbox" 2>/dev/null; then
    break
  fi
  sleep 0.05
done
if [ "$started" != yes ]; then
  echo "with-openbox: openbox did not start" >&2
  cat "$log" >&2
  exit 1
fi

status=0
"$@" || status=$?
exit "$status"
