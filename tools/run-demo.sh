#!/usr/bin/env bash
# The demo: starts the simulated marketplace on a free loopback port, writes a demo data
# directory whose rows point at it, runs the program on that directory and stops the
# simulator when the program exits. Usage: tools/run-demo.sh [BUILD_DIR]
set -euo pipefail
build=${1:-build}
data="$build/demo-data"
log="$build/demo-simulator.log"
port_file="$build/demo-simulator.port"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display. Run the demo headless with:"
    echo "  xvfb-run -a -s '-screen 0 1280x800x24' make demo"
    exit 1
fi
for tool in "$build/tools/market-simulator" "$build/tools/write-demo-data" "$build/korvane-monitor"; do
    [ -x "$tool" ] || { echo "missing $tool: build first (make build)"; exit 1; }
done

rm -f "$port_file"
# An hour at most; the program's exit ends it sooner.
"$build/tools/market-simulator" --port 0 --port-file "$port_file" --seconds 3600 >"$log" 2>&1 &
simulator=$!
stop_simulator() {
    kill -TERM "$simulator" 2>/dev/null || true
    wait "$simulator" 2>/dev/null || true
}
trap stop_simulator EXIT
trap 'exit 130' INT TERM

for _ in $(seq 50); do
    [ -s "$port_file" ] && break
    kill -0 "$simulator" 2>/dev/null || break
    sleep 0.1
done
[ -s "$port_file" ] || { echo "the simulator did not start; see $log"; exit 1; }
port=$(cat "$port_file")

export MARKET_ITEM_DETAIL_HOST="detail.localhost:$port"
export MARKET_SHOP_HOST="shop.localhost:$port"
export MARKET_ITEM_HOST="item.localhost:$port"
export MARKET_CLICK_HOST="click.localhost:$port"
export MARKET_COUPON_SITE_HOST="coupon.localhost:$port"
export MARKET_H5_HOST="h5.localhost:$port"

rm -rf "$data"
"$build/tools/write-demo-data" --data-dir "$data"
echo "simulated marketplace on 127.0.0.1:$port (requests logged to $log)"
echo "press 开始监视: the rows turn green; about a minute later the next pass finds three"
echo "coupons gone and turns those rows red. Exiting the program (close, then 退出程序) ends the demo."
"$build/korvane-monitor" --data-dir "$data"
