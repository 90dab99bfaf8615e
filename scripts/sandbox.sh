# shellcheck shell=bash disable=SC2154
# Shared by the run scripts: start tolvan-sandbox on a free loopback port with
# its console in "$work/sandbox.log", and read the codes it "mails" there.
# Needs $work (a temporary folder) and $sandbox (the program); sets
# $sandbox_pid and exports TOLVAN_BASE_URL.

start_sandbox() {
    "$sandbox" --port 0 --db :memory: "$@" >"$work/sandbox.log" 2>&1 &
    sandbox_pid=$!
    local base=
    for _ in $(seq 100); do
        base=$(sed -n 's/^listening on //p' "$work/sandbox.log")
        if [[ -n $base ]] || ! kill -0 "$sandbox_pid" 2>/dev/null; then
            break
        fi
        sleep 0.1
    done
    if [[ -z $base ]]; then
        echo "tolvan-sandbox did not start:" >&2
        cat "$work/sandbox.log" >&2
        return 1
    fi
    export TOLVAN_BASE_URL=$base
}

stop_sandbox() {
    if [[ -n ${sandbox_pid:-} ]]; then
        kill "$sandbox_pid" 2>/dev/null || true
        wait "$sandbox_pid" 2>/dev/null || true
    fi
}

# The latest code for an address.
mailed_code() {
    local address=$1 line
    for _ in $(seq 100); do
        line=$(grep "^sign-in code for $address: " "$work/sandbox.log" | tail -n 1 || true)
        if [[ -n $line ]]; then
            echo "${line##*: }"
            return
        fi
        sleep 0.1
    done
}
