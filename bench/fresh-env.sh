# Sourced by the benchmark scripts that start the real program: points HOME and
# the XDG folders into a folder of their own, so no run sees another's files.
fresh_env() { # folder
  mkdir -p "$1"/{home,data,config,cache,runtime}; chmod 700 "$1/runtime"
  export HOME="$1/home" XDG_DATA_HOME="$1/data" XDG_CONFIG_HOME="$1/config" \
         XDG_CACHE_HOME="$1/cache" XDG_RUNTIME_DIR="$1/runtime"
  unset DBUS_SESSION_BUS_ADDRESS
}
