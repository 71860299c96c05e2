#!/bin/sh
# Sample device-lost script: orvex runs it as "/bin/sh Resources_Archive/Device_Lost.bat" from its
# working folder, in a session of its own, when the camera stops answering, and then ends with 1.
# This one waits for the camera to come back (a reboot takes a few seconds), then starts orvex
# again in the same folder, in the background. Set ORVEX_BIN to the program's path, or put orvex
# on PATH. Edit the wait, or add a mail or a log line, to suit the site.

wait_seconds=10

cd "$(dirname "$0")/.." || exit 1 # the folder that holds Resources_Archive
sleep "$wait_seconds"

program=${ORVEX_BIN:-$(command -v orvex)}
if [ -z "$program" ] || [ ! -x "$program" ]; then
  echo "Device_Lost.bat: orvex not found (set ORVEX_BIN or put orvex on PATH)" >&2
  exit 1
fi
nohup "$program" >/dev/null 2>&1 &
