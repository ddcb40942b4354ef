#!/usr/bin/env bash
# Installs what is missing, builds CVMail.exe and starts it under Wine.
#   scripts/run.sh [--settings FILE] [program arguments...]
# By default the program starts on a demo account: the private Dovecot and
# Postfix are started, the demo mailbox on them holds a few Japanese sample
# mails, and the program runs from run/demo with its settings in
# run/demo/CVM.ini and an account for demo@cvm.test in run/demo/MailBox, so
# receiving brings the samples and a mail sent to demo@cvm.test comes back.
# Passing a mailbox of your own (/M or -M) or a settings file of your own
# (--settings FILE, copied to run/CVM.ini) starts the program from run/
# instead, on run/MailBox unless /M says otherwise, with no servers and no
# demo account.
# Without a display (DISPLAY unset) the program runs on a virtual display that
# a browser shows through noVNC: the script prints the address to open. When
# the program ends, the script stops everything it started (virtual display,
# VNC server, WebSocket proxy, the Wine server of its prefix and its
# reference on the mail servers) and exits with the program's exit code.
# Ctrl+C in the terminal ends the program as well.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${CVM_BUILD_DIR:-$root/build}

# ---- The demo account ----
demo_user=demo
demo_address=demo@cvm.test
demo_servers=(dovecot postfix)
demo_started=()

# Starts the private Dovecot and Postfix (one per machine, reference-counted).
# A test run that holds the servers itself (CVM_SERVERS_HELD=1) has them up.
demo_servers_start() {
  local s
  [ "${CVM_SERVERS_HELD:-0}" = 1 ] && return 0
  for s in "${demo_servers[@]}"; do
    CVM_BUILD_DIR="$build" timeout 300 bash "$root/scripts/servers.d/$s.sh" start >/dev/null
    demo_started+=("$s")
  done
}

# Drops the references demo_servers_start took, last first.
demo_servers_stop() {
  local i
  for ((i = ${#demo_started[@]} - 1; i >= 0; i--)); do
    CVM_BUILD_DIR="$build" bash "$root/scripts/servers.d/${demo_started[i]}.sh" stop >/dev/null 2>&1 || true
  done
  demo_started=()
}

# Puts the Japanese sample mails into the demo user's mailbox on the server
# when it holds no mail (a newcomer who received them gets them again on the
# next run).
demo_seed_mailbox() {
  local maildir=${CVM_DOVECOT_DIR:-/tmp/cvm-dovecot}/home/$demo_user/Maildir
  mkdir -p "$maildir/new" "$maildir/cur" "$maildir/tmp"
  if [ -n "$(find "$maildir/new" "$maildir/cur" -type f 2>/dev/null | head -1)" ]; then
    return 0
  fi
  python3 - "$maildir/new" "$demo_address" <<'PY'
import base64, os, sys, time
folder, to = sys.argv[1], sys.argv[2]
def word(text, charset):
    return "=?%s?B?%s?=" % (charset, base64.b64encode(text.encode(charset)).decode("ascii"))
mails = [
    ("iso-2022-jp", "ようこそ Corvane Mail へ", "案内係",
     "Corvane Mail へようこそ。\n\nこのメールはデモ用のメールボックスから受信しました。\n"
     "新規作成で demo@cvm.test 宛てにメールを送ると、次の受信で戻ってきます。\n"),
    ("shift_jis", "会議のお知らせ", "山田 太郎",
     "来週月曜日の十時から第二会議室で定例会議を行います。\n資料は当日配布します。\n"),
    ("utf-8", "週末の天気", "天気予報",
     "土曜日は晴れ、日曜日は曇りのち雨の予報です。\n洗濯物は土曜日のうちにどうぞ。\n"),
]
for n, (charset, subject, sender, body) in enumerate(mails, 1):
    if charset == "utf-8":
        encoding, text = "base64", base64.encodebytes(body.encode("utf-8")).decode("ascii")
    else:
        encoding, text = "7bit" if charset == "iso-2022-jp" else "8bit", body.encode(charset)
    head = ("From: %s <guide%d@example.jp>\nTo: %s\nSubject: %s\n"
            "Date: %s\nMessage-ID: <demo%d.%d@example.jp>\nMIME-Version: 1.0\n"
            "Content-Type: text/plain; charset=%s\nContent-Transfer-Encoding: %s\n\n"
            % (word(sender, charset if charset != "shift_jis" else "iso-2022-jp"), n, to,
               word(subject, charset if charset != "shift_jis" else "iso-2022-jp"),
               # Japan's clock time, whatever the zone this script runs in.
               time.strftime("%a, %d %b %Y %H:%M:%S +0900", time.gmtime(time.time() + 9 * 3600)),
               n, int(time.time()),
               charset.upper() if charset != "shift_jis" else "Shift_JIS", encoding))
    data = head.encode("ascii") + (text if isinstance(text, bytes) else text.encode("ascii"))
    name = os.path.join(folder, "%d.demo%d.cvm" % (int(time.time()), n))
    with open(name, "wb") as f:
        f.write(data)
    os.chmod(name, 0o666)
PY
}

# Makes the demo program folder: its settings (no start-up password) and a
# mailbox with the default folders and the demo account, unless it is there.
demo_prepare_folder() {
  local dir=$1
  mkdir -p "$dir"
  if [ ! -f "$dir/CVM.ini" ]; then
    printf '[Setting]\r\nMailBoxPassword="x"\r\nStartupCheckPassword=dword:0\r\n\r\n' >"$dir/CVM.ini"
  fi
  if [ ! -f "$dir/MailBox/Folder.dat" ]; then
    mkdir -p "$dir/MailBox"
    cp "$root/scripts/demo/Folder.dat" "$root/scripts/demo/Account.dat" "$dir/MailBox/"
    local box
    for box in Writing.Box Send.Box Out.Box Trash.Box In.Box; do mkdir -p "$dir/MailBox/$box"; done
  fi
}

# The whole set-up of a demo run in the program folder dir.
demo_setup() {
  demo_servers_start
  demo_seed_mailbox
  demo_prepare_folder "$1"
}

main() {
  local demo=1 settings="" args=() a
  while [ $# -gt 0 ]; do
    case "$1" in
      --settings)
        settings=${2:?"run: --settings needs a file"}
        demo=0
        shift 2
        continue
        ;;
      [/-][Mm]*) demo=0 ;;
    esac
    args+=("$1")
    shift
  done
  run="$root/run"
  mkdir -p "$run"
  state="$run/.running"

  # One run per work tree: a second one says where the first can be seen and
  # hands its arguments (a mailto address, say) to the running program.
  exec 8>"$run/.run.lock"
  if ! flock -n 8; then
    shown=$(sed -n 's/^url=//p' "$state" 2>/dev/null || true)
    echo "run: Corvane Mail is already running from this tree${shown:+; open $shown in a browser to see it}."
    if [ ${#args[@]} -gt 0 ] && [ -s "$state" ]; then
      DISPLAY=$(sed -n 's/^display=//p' "$state") \
        CVM_WINEPREFIX=$(sed -n 's/^prefix=//p' "$state") \
        "$root/scripts/wine-run.sh" "$(sed -n 's/^program=//p' "$state")" "${args[@]}" || true
    fi
    exit 0
  fi

  bash "$root/scripts/setup.sh"
  cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-toolchain.cmake" >/dev/null
  cmake --build "$build" -j "$(nproc)" --target CVMail QdMapi Vonlink VncKeyboard

  # The program keeps its settings file and side files beside itself.
  local home=$run
  [ "$demo" = 1 ] && home=$run/demo
  mkdir -p "$home"
  cp "$build/CVMail.exe" "$build/QdMapi.dll" "$build/Vonlink.dll" "$home/"
  cp "$root/resources/art/CVM.bmp" "$home/" 2>/dev/null || true
  [ -n "$settings" ] && cp "$settings" "$run/CVM.ini"
  # A prefix of its own, so that ending its Wine server never touches a test run.
  export CVM_WINEPREFIX="$build/wineprefix-run"

  pids=()
  stop_all() {
    trap - EXIT INT TERM HUP
    rm -f "$state"
    # The Wine server ends every Wine process of the prefix with it.
    WINEPREFIX="$CVM_WINEPREFIX" wineserver -k >/dev/null 2>&1 || true
    local i
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
      pkill -TERM -P "${pids[i]}" >/dev/null 2>&1 || true
      kill "${pids[i]}" >/dev/null 2>&1 || true
      wait "${pids[i]}" 2>/dev/null || true
    done
    demo_servers_stop
  }
  trap stop_all EXIT
  trap 'exit 130' INT TERM HUP

  if [ "$demo" = 1 ]; then
    demo_setup "$home"
    echo "run: demo account $demo_address (its mailbox holds sample mails; the toolbar's first button, 現在のアカウントで受信, or Ctrl+D fetches them)"
  fi

  url=""
  if [ -z "${DISPLAY:-}" ]; then
    headless_start "$run" || exit 1
    echo "run: no display here; open $url in a browser to see and use Corvane Mail (over SSH, forward the port first: ssh -L $web:127.0.0.1:$web $(hostname))"
  fi
  printf 'display=%s\nurl=%s\nprefix=%s\nprogram=%s\n' "$DISPLAY" "$url" "$CVM_WINEPREFIX" "$home/CVMail.exe" >"$state"

  cd "$home"
  local mailbox=()
  if [ "$demo" = 1 ]; then
    mailbox=("/M:Z:$(printf '%s' "$home/MailBox" | tr '/' '\\')")
  else
    local own=0
    for a in "${args[@]+"${args[@]}"}"; do case "$a" in [/-][Mm]*) own=1 ;; esac; done
    [ "$own" = 1 ] || mailbox=("/M:Z:$(printf '%s' "$run/MailBox" | tr '/' '\\')")
  fi
  # The M value begins one character after the letter. The script waits in the
  # background of the program, so that Ctrl+C reaches its clean-up at once.
  status=0
  # Wine's own notices go to a log rather than between the lines above.
  "$root/scripts/wine-run.sh" "$home/CVMail.exe" /INI "${mailbox[@]+"${mailbox[@]}"}" \
    "${args[@]+"${args[@]}"}" 2>"$run/wine.log" 8>&- &
  program=$!
  wait "$program" || status=$?
  if [ "$status" != 0 ] && [ "$status" -lt 128 ]; then
    echo "run: the program ended with code $status; Wine's messages are in $run/wine.log" >&2
  fi
  exit "$status"
}

# The headless road: a virtual display, a VNC server on it and the WebSocket
# proxy that serves the noVNC page, all on 127.0.0.1 only; their logs go to
# the folder $1. Sets DISPLAY, vnc (the VNC port), web (the page's port) and
# url, and adds the processes to pids. The VNC server moves the pointer
# itself but hands every key event to VncKeyboard.exe, which sends it into
# the Wine desktop of CVM_WINEPREFIX: X has keys for few of the characters a
# viewer sends (typed Japanese arrives as Unicode keysyms), and Wine reads
# the characters of keys bound on the fly wrongly or not at all.
headless_start() {
  local dir=$1 n
  rm -f "$dir/.display"
  Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp 5>"$dir/.display" </dev/null >/dev/null 2>&1 8>&- &
  pids+=($!)
  for _ in $(seq 100); do [ -s "$dir/.display" ] && break; sleep 0.1; done
  [ -s "$dir/.display" ] || { echo "run: the virtual display did not start" >&2; return 1; }
  n=$(head -1 "$dir/.display")
  export DISPLAY=":$n"
  vnc=$(free_port $((5900 + n)))
  x11vnc -display "$DISPLAY" -localhost -nopw -forever -shared -rfbport "$vnc" -o "$dir/x11vnc.log" \
    -input MBC -pipeinput "tee:'$root/scripts/wine-run.sh' '$build/VncKeyboard.exe' 2>>'$dir/keyboard.log'" \
    </dev/null >/dev/null 2>&1 8>&- &
  pids+=($!)
  web=$(free_port $((6080 + n)))
  websockify --web /usr/share/novnc "127.0.0.1:$web" "127.0.0.1:$vnc" </dev/null >"$dir/websockify.log" 2>&1 8>&- &
  pids+=($!)
  for _ in $(seq 100); do ss -Hltn "sport = :$web" | grep -q . && ss -Hltn "sport = :$vnc" | grep -q . && break; sleep 0.1; done
  url="http://127.0.0.1:$web/vnc.html?autoconnect=1&resize=scale"
}

# The first port from $1 on that nothing listens on.
free_port() {
  local p=$1
  while ss -Hltn "sport = :$p" | grep -q .; do p=$((p + 1)); done
  echo "$p"
}

# Sourced (by its test) the script only defines its functions.
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  main "$@"
fi
