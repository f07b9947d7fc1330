#!/usr/bin/env bash
# Pendulo on a real X display, as a user's desktop shows it: in a StatusNotifierItem
# tray (python3-dbusmock stands in for the desktop's watcher), in an XEmbed tray
# (trayer), and without any tray (the host's shelf window). Each run has its own
# home, display and session bus.
#   TrayTest.sh BUILD_DIR sni|xembed|shelf|late|snilate
# ("late", "snilate": the shelf first, then an XEmbed or a StatusNotifierItem tray that
# starts after the host, as a panel may at login)
# Exits 77 (skipped) when a tool it needs is missing.
set -euo pipefail

if [ "${1:-}" != "--inside" ]; then
	build=$(realpath "$1")
	mode=$2
	for tool in xvfb-run dbus-run-session xwininfo gdbus import; do
		command -v "$tool" >/dev/null || { echo "skipped: no $tool"; exit 77; }
	done
	if [ "${mode#sni}" != "$mode" ] && ! /usr/bin/python3 -c 'import dbusmock' 2>/dev/null; then
		echo "skipped: no python3-dbusmock"
		exit 77
	fi
	if [ "$mode" = xembed -o "$mode" = late ] && ! command -v trayer >/dev/null; then
		echo "skipped: no trayer"
		exit 77
	fi
	home=$(mktemp -d)
	trap 'rm -rf "$home"' EXIT
	export HOME=$home XDG_CONFIG_HOME=$home/.config XDG_DATA_HOME=$home/.local/share \
		XDG_CACHE_HOME=$home/.cache XDG_RUNTIME_DIR=$home/run
	mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
	xvfb-run -a -s "-screen 0 1024x640x24" dbus-run-session -- "$0" --inside "$build" "$mode"
	exit $?
fi

build=$2
mode=$3
export QT_QPA_PLATFORM=xcb
fail() {
	echo "FAILED: $*"
	exit 1
}
# wait_for CONDITION [TRIES]: tries every tenth of a second, 100 times unless told.
wait_for() {
	for _ in $(seq "${2:-100}"); do
		if eval "$1"; then return 0; fi
		sleep 0.1
	done
	return 1
}

# Three alarms within the day and one that has passed, written as another program
# writes attributes, then brought into the index.
/usr/bin/python3 - <<'PY'
import os, struct, time
def code(name): return struct.pack("<I", int.from_bytes(name.encode(), "big"))
def put(path, name, kind, data): os.setxattr(path, "user.haiku." + name, code(kind) + data)
now = int(time.time())
folder = os.path.join(os.environ["HOME"], "events")
os.makedirs(folder)
for name, offset in (("Dentist", 7200), ("Call Anna", 2400), ("Dinner", 36000), ("Review", -7200)):
	path = os.path.join(folder, name)
	open(path, "w").close()
	put(path, "BEOS:TYPE", "MIMS", b"text/x-Kalimo\0")
	put(path, "EVENT:Alarm", "CSTR", b"PT5M\0")
	put(path, "EVENT:tStart", "TIME", struct.pack("<i", now + offset))
PY
"$build/platform/be-reindex" >/dev/null

start_watcher() {
	/usr/bin/python3 -m dbusmock --session org.kde.StatusNotifierWatcher /StatusNotifierWatcher \
		org.kde.StatusNotifierWatcher >/dev/null 2>&1 &
	watcher_pid=$!
	wait_for "$mock --method org.freedesktop.DBus.Peer.Ping >/dev/null 2>&1" || fail "no mock watcher"
	$mock --method org.freedesktop.DBus.Mock.AddProperty org.kde.StatusNotifierWatcher \
		IsStatusNotifierHostRegistered "<true>" >/dev/null
	$mock --method org.freedesktop.DBus.Mock.AddProperty org.kde.StatusNotifierWatcher \
		ProtocolVersion "<0>" >/dev/null
	$mock --method org.freedesktop.DBus.Mock.AddProperty org.kde.StatusNotifierWatcher \
		RegisteredStatusNotifierItems "<@as []>" >/dev/null
	$mock --method org.freedesktop.DBus.Mock.AddMethod org.kde.StatusNotifierWatcher \
		RegisterStatusNotifierItem s "" "" >/dev/null
}
mock="gdbus call --session --dest org.kde.StatusNotifierWatcher --object-path /StatusNotifierWatcher"
[ "$mode" = sni ] && start_watcher
start_tray() {
	trayer --edge top --align right --widthtype pixel --width 100 --heighttype pixel \
		--height 24 >/dev/null 2>&1 &
	wait_for 'xwininfo -root -tree | grep -q "\"panel\": (\"panel\" \"trayer\")"' || fail "no trayer"
}
[ "$mode" = xembed ] && start_tray

# The host started here, so that what its item opens is recorded, not started.
export BE_LAUNCHER_RECORD=$HOME/launches
"$build/platform/be-deskbar" >"$HOME/host.log" 2>&1 &
host=$!
trap 'kill $host 2>/dev/null || true' EXIT
unset BE_LAUNCHER_RECORD
timeout 30 "$build/watcher/Pendulo" >"$HOME/pendulo.log" 2>&1 || fail "Pendulo did not install its item"

property() {
	gdbus call --session --dest "$1" --object-path /StatusNotifierItem \
		--method org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierItem "$2"
}
red_pixels() {
	import -window "$1" txt:- | grep -cE "srgb\((2[0-9][0-9]),([0-9]|[0-9][0-9]),([0-9]|[0-9][0-9])\)" || true
}

case $mode in
sni | snilate)
	if [ "$mode" = snilate ]; then
		wait_for 'xwininfo -name Deskbar 2>/dev/null | grep -q IsViewable' || fail "no shelf window"
		start_watcher
	fi
	wait_for '$mock --method org.freedesktop.DBus.Mock.GetCalls | grep -q RegisterStatusNotifierItem' ||
		fail "no item registered"
	if [ "$mode" = snilate ]; then
		grep -q "a tray watcher came; starting again" "$HOME/host.log" || fail "the host did not start again"
	fi
	service=$($mock --method org.freedesktop.DBus.Mock.GetCalls | grep -o "<'[^']*'>" | head -1 | tr -d "<>'")
	tip=$(property "$service" ToolTip)
	echo "$tip" | grep -q "Pendulo: 3 alarms in the next 24 hours, 1 missed" || fail "tool tip: $tip"
	property "$service" IconPixmap | grep -q "byte 0x" || fail "no icon"
	# The primary click opens the events folder.
	gdbus call --session --dest "$service" --object-path /StatusNotifierItem \
		--method org.kde.StatusNotifierItem.Activate 5 5 >/dev/null
	wait_for 'grep -q "$HOME/events" "$HOME/launches" 2>/dev/null' || fail "the click opened nothing"
	# The panel ends: the item moves to the shelf; it starts again: back into the tray.
	if [ "$mode" = sni ]; then
		kill "$watcher_pid"
		wait_for 'xwininfo -name Deskbar 2>/dev/null | grep -q IsViewable' || fail "no shelf without the tray"
		start_watcher
		wait_for '$mock --method org.freedesktop.DBus.Mock.GetCalls | grep -q RegisterStatusNotifierItem' ||
			fail "the item did not come back to the tray"
		wait_for '! xwininfo -name Deskbar | grep -q IsViewable' || fail "the shelf stays"
	fi
	;;
late | xembed)
	if [ "$mode" = late ]; then
		wait_for 'xwininfo -name Deskbar 2>/dev/null | grep -q IsViewable' || fail "no shelf window"
		start_tray
	fi
	# The host's window among those the panel holds: below it in the tree, more deeply
	# indented.
	tray_icon() {
		xwininfo -root -tree | awk '{ match($0, /^ */); depth = RLENGTH }
			/"panel": \("panel" "trayer"\)/ { panel = depth; next }
			panel && depth <= panel { panel = 0 }
			panel && /"be-deskbar"/ { print $1; exit }'
	}
	# The host looks for a tray every few seconds; a panel may take its time to dock it.
	wait_for '[ -n "$(tray_icon)" ]' 300 || fail "no icon in the tray: $(xwininfo -root -tree)"
	icon=$(tray_icon)
	wait_for '[ "$(red_pixels "$icon")" -gt 3 ]' || fail "the icon shows no red digit"
	if [ "$mode" = late ]; then
		! xwininfo -name Deskbar | grep -q IsViewable || fail "the shelf stays"
	fi
	;;
shelf)
	wait_for 'xwininfo -name Deskbar 2>/dev/null | grep -q IsViewable' || fail "no shelf window"
	shelf=$(xwininfo -name Deskbar | awk '/Window id/ { print $4 }')
	wait_for '[ "$(red_pixels "$shelf")" -gt 3 ]' || fail "the shelf shows no red digit"
	;;
esac
echo "passed: $mode"
