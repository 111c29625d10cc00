#!/usr/bin/env bash
# mbpoll, an independent Modbus RTU client, against korva-devsim over its pseudo-terminal:
# read coils (0x01), holding registers (0x03), input registers (0x04), write multiple
# registers (0x10), and an unsupported write answered with an exception. The values mbpoll
# prints must be the simulator's, and the state it writes at exit must show the write.
#   devsim_mbpoll.sh PATH/TO/korva-devsim
set -euo pipefail
devsim=${1:?usage: $0 korva-devsim}
command -v mbpoll >/dev/null || { echo "FAIL: mbpoll is not installed (scripts/setup.sh installs it)"; exit 1; }

dir=$(mktemp -d)
pid=""
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    rm -rf "$dir"
}
trap cleanup EXIT

link=$dir/ttyDEV
"$devsim" --link "$link" --state "$dir/state.json" --log \
    --model-id 0x4106 --firmware 0x0102 --serial 1209214378563412 \
    --input 7=0x00A5 --input 10=3 --com1-slave 9 --com1 0xC3 \
    --coils 0x8000000000000105 >"$dir/out" 2>"$dir/log" &
pid=$!
for _ in $(seq 100); do grep -q ready "$dir/out" 2>/dev/null && break; sleep 0.05; done
grep -q ready "$dir/out" || { echo "FAIL: korva-devsim did not start"; cat "$dir/log"; exit 1; }

failures=0
passes=0
mb() { mbpoll -m rtu -a 247 -b 9600 -P none -1 -o 2 "$@"; }
# "[ref]: value" lines of mbpoll's output, as "ref=value" words.
values() { sed -nE 's/^\[([0-9]+)\]:[[:space:]]+([^[:space:]]+).*/\1=\2/p' | tr '\n' ' ' | sed 's/ $//'; }
check() {
    local what=$1 expected=$2 got=$3
    if [ "$got" == "$expected" ]; then
        echo "ok: $what"
        passes=$((passes + 1))
    else
        echo "FAIL: $what"; echo "  expected: $expected"; echo "  got:      $got"
        failures=$((failures + 1))
    fi
}

# Input registers 0x0000..0x000B, counted from 1 as mbpoll does by default.
got=$(mb -t 3:hex -r 1 -c 12 "$link" | values)
check "0x04 input registers" \
    "1=0x4106 2=0x0102 3=0x3412 4=0x7856 5=0x2143 6=0x1209 7=0x0000 8=0x00A5 9=0x0000 10=0x0000 11=0x0003 12=0x0000" "$got"

# Holding registers 0x0080..0x0082, counted from 0 (-0).
got=$(mb -0 -t 4 -r 128 -c 3 "$link" | values)
check "0x03 holding registers" "128=9 129=195 130=65535" "$got"

# The 64 coils: 0, 2, 8 and 63 are set.
expected=""
for i in $(seq 0 63); do
    case $i in 0|2|8|63) v=1 ;; *) v=0 ;; esac
    expected+="$((i + 1))=$v "
done
got=$(mb -t 0 -r 1 -c 64 "$link" | values)
check "0x01 coils" "${expected% }" "$got"

# Write slave ID 12 and setting 0x85 (two values: function 0x10), then read them back.
out=$(mb -0 -t 4 -r 128 "$link" 12 133)
check "0x10 write" "Written 2 references." "$(grep -o 'Written 2 references.' <<<"$out" || true)"
got=$(mb -0 -t 4 -r 128 -c 2 "$link" | values)
check "0x03 after 0x10" "128=12 129=133" "$got"

# One value makes mbpoll use write single register (0x06), which the device refuses.
if out=$(mb -0 -t 4 -r 129 "$link" 3 2>&1); then
    check "0x06 refused" "Illegal function" "mbpoll succeeded: $out"
else
    check "0x06 refused" "Illegal function" "$(grep -o 'Illegal function' <<<"$out" || echo "$out")"
fi

kill -TERM "$pid"
status=0
wait "$pid" || status=$?
pid=""
check "exit code on SIGTERM" "0" "$status"
got=$(/usr/bin/python3 -c '
import json, sys
s = json.load(open(sys.argv[1]))
c = s["counters"]
print(s["holdingRegisters"][:2], s["identity"]["com1SlaveId"], c["framesReceived"], c["framesAnswered"], c["exceptions"])
' "$dir/state.json")
check "state after the session" "[12, 133] 12 6 6 1" "$got"

if [ "$failures" -gt 0 ]; then
    echo "--- korva-devsim log"; cat "$dir/log"
    echo "$passes passed, $failures failed"
    exit 1
fi
echo "korva-devsim interop with mbpoll: all checks passed"
