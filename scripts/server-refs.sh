# The reference count of a test server shared by every build tree of the
# machine: "$state/refs", changed only under the lock the caller holds.

# Gives up one reference; true when it was the last, so the server is to stop.
drop_server_ref() {
  local refs
  refs=$(cat "$state/refs" 2>/dev/null || echo 1)
  refs=$((refs - 1))
  if [ "$refs" -gt 0 ]; then
    echo "$refs" >"$state/refs"
    return 1
  fi
  echo 0 >"$state/refs"
}
