# Sourced by the scripts that open the page in a browser: serve_folder
# DIR [PATH] serves DIR with Python's static server on a free local port,
# waits until PATH (default /) answers, and sets port and server (the
# server's pid, for the caller's exit trap to end).
serve_folder() {
  local dir=$1 path=${2:-/}
  port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  python3 -m http.server "$port" --bind 127.0.0.1 --directory "$dir" >/dev/null 2>&1 &
  server=$!
  for _ in $(seq 50); do
    python3 -c "import urllib.request; urllib.request.urlopen('http://127.0.0.1:$port$path')" 2>/dev/null && return 0
    sleep 0.1
  done
  echo "serve_folder: the server on port $port did not answer for $path" >&2
  return 1
}
