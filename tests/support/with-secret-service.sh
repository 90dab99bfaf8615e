#!/usr/bin/env bash
# Runs a command in a private D-Bus session bus with a fresh home, so that it
# never touches the user's own keyring or desktop:
#
#   with-secret-service.sh keyring COMMAND...  gnome-keyring-daemon serves the
#                                              Secret Service, with an unlocked
#                                              login collection
#   with-secret-service.sh none COMMAND...     nothing serves it
#
# The command sees the mode in TOLVAN_TEST_SECRET_SERVICE. The bus starts no
# services on demand, so no other keyring and no unlock prompt can appear.
set -euo pipefail

if [[ ${1-} == --inside ]]; then
    mode=$2
    shift 2
    if [[ $mode == keyring ]]; then
        # The password creates the login collection and unlocks it.
        printf '%s' tolvan-test |
            gnome-keyring-daemon --unlock --components=secrets --daemonize \
                >"$HOME/keyring.log" 2>&1
        gdbus wait --session --timeout 10 org.freedesktop.secrets
    fi
    exec "$@"
fi

mode=${1-}
case $mode in
keyring | none) shift ;;
*)
    echo "usage: $0 keyring|none COMMAND..." >&2
    exit 2
    ;;
esac

root=$(mktemp -d "${TMPDIR:-/tmp}/tolvan-secret-service.XXXXXX")
trap 'rm -rf "$root"' EXIT
mkdir -m 700 "$root/home" "$root/runtime"
export HOME=$root/home XDG_RUNTIME_DIR=$root/runtime
export XDG_DATA_HOME=$HOME/.local/share XDG_CONFIG_HOME=$HOME/.config XDG_CACHE_HOME=$HOME/.cache
export TOLVAN_TEST_SECRET_SERVICE=$mode
unset DISPLAY WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS GNOME_KEYRING_CONTROL SSH_AUTH_SOCK

cat >"$root/bus.conf" <<EOF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=$root/runtime</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
EOF

dbus-run-session --config-file="$root/bus.conf" -- bash "$0" --inside "$mode" "$@"
