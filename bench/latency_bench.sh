#!/usr/bin/env bash
# Times `boardcast check` against a forum 100 ms away. Not part of `make test`.
# nginx on 127.0.0.1 serves 100 copies of real MyBB thread pages (tests/data/forums/mybb)
# over HTTPS (a self-signed certificate for localhost, trusted as told below) and
# plain HTTP, with keep-alive and gzip on; bench/delay_proxy.py sits in front of it and
# delays each direction by 50 ms. Reports for each run its seconds and the connections
# nginx saw (counted from $connection in its log):
# 1. boardcast check with its defaults over HTTPS, then over plain HTTP;
# 2. urlwatch (Debian's, when installed) with its defaults over HTTPS, and the ratio
#    against boardcast (the goal: at most 0.7x urlwatch's time over at most 6 connections);
# 3. the bytes nginx sent for the 100 pages compressed, against the same run from a
#    location with gzip off.
# Usage: bench/latency_bench.sh [build/boardcast]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bin=$(realpath "${1:-$here/../build/boardcast}")
tmp=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; done
    rm -rf "$tmp"
}
trap cleanup EXIT
export XDG_CONFIG_HOME=$tmp/config

seconds() { awk "BEGIN { printf \"%.2f\", $2 - $1 }"; }
free_port() { python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }

# A certificate for localhost and 127.0.0.1 that is its own CA.
cert=$tmp/cert.pem
openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 \
    -keyout "$tmp/key.pem" -out "$cert" -subj /CN=localhost \
    -addext subjectAltName=DNS:localhost,IP:127.0.0.1 2>/dev/null

# The pages: the captured last pages of threads, in turn (a page with a next page would
# send the check on to it, which this folder cannot serve).
www=$tmp/www
mkdir -p "$www/t" "$tmp/nginx"
captured=()
for f in "$here"/../tests/data/forums/mybb/*.html; do
    case $(basename "$f") in board.html | members-only.html | missing.html) continue ;; esac
    if [[ -s $f ]] && ! grep -q pagination_next "$f"; then captured+=("$f"); fi
done
for i in $(seq 100); do cp "${captured[$(( (i - 1) % ${#captured[@]} ))]}" "$www/t/$i.html"; done

https_port=$(free_port)
http_port=$(free_port)
log=$tmp/nginx/access.log
cat >"$tmp/nginx/nginx.conf" <<CONF
daemon off;
master_process off;
user root;
pid $tmp/nginx/nginx.pid;
error_log $tmp/nginx/error.log;
events { worker_connections 1024; }
http {
    types { text/html html; }
    log_format conn '\$connection \$bytes_sent \$status \$request_uri';
    access_log $log conn;
    client_body_temp_path $tmp/nginx/body;
    proxy_temp_path $tmp/nginx/proxy;
    fastcgi_temp_path $tmp/nginx/fastcgi;
    uwsgi_temp_path $tmp/nginx/uwsgi;
    scgi_temp_path $tmp/nginx/scgi;
    keepalive_timeout 65s;
    keepalive_requests 1000;
    gzip on;  # text/html is always among gzip_types
    server {
        listen 127.0.0.1:$https_port ssl;
        listen 127.0.0.1:$http_port;
        ssl_certificate $cert;
        ssl_certificate_key $tmp/key.pem;
        root $www;
        location /raw/ { gzip off; alias $www/t/; }
    }
}
CONF
/usr/sbin/nginx -p "$tmp/nginx" -c "$tmp/nginx/nginx.conf" 2>"$tmp/nginx/start.log" &
pids+=($!)
for _ in $(seq 50); do (exec 3<>"/dev/tcp/127.0.0.1/$https_port") 2>/dev/null && break; sleep 0.1; done
(exec 3<>"/dev/tcp/127.0.0.1/$https_port") 2>/dev/null || { cat "$tmp/nginx/start.log" >&2; exit 1; }

# A delay proxy, 50 ms each way, in front of each port; their ports go to proxy[PORT].
declare -A proxy
for port in "$https_port" "$http_port"; do
    python3 "$here/delay_proxy.py" "$port" 0.05 >"$tmp/proxy-$port.out" &
    pids+=($!)
    for _ in $(seq 50); do grep -q ready "$tmp/proxy-$port.out" && break; sleep 0.1; done
    proxy[$port]=$(awk '{ print $2 }' "$tmp/proxy-$port.out")
done
https_proxy=${proxy[$https_port]} http_proxy=${proxy[$http_port]}

# posts FOLDER BASE-URL: the 100 pages under BASE-URL, with their own sizes (so nothing
# has grown), and urlwatch's list of them in FOLDER/urls.yaml.
posts() {
    mkdir -p "$1"
    : >"$1/posts.txt"; : >"$1/sizes.txt"; : >"$1/urls.yaml"
    for i in $(seq 100); do
        printf '%s/%d.html\r\n\r\n' "$2" "$i" >>"$1/posts.txt"
        printf '%d\r\n\r\n' "$(stat -c %s "$www/t/$i.html")" >>"$1/sizes.txt"
        printf -- '---\nurl: %s/%d.html\n' "$2" "$i" >>"$1/urls.yaml"
    done
}
posts "$tmp/https" "https://localhost:$https_proxy/t"
posts "$tmp/http" "http://localhost:$http_proxy/t"
posts "$tmp/raw" "https://localhost:$https_proxy/raw"

# measure WHAT COMMAND...: runs COMMAND and sets secs, conns and bytes from the lines it
# added to nginx's log; fails unless nginx answered the 100 pages, each once, with 200.
measure() {
    local what=$1 before start end ok requests
    shift
    before=$(wc -l <"$log")
    start=$(date +%s.%N)
    "$@" >/dev/null 2>"$tmp/run.err" || true
    end=$(date +%s.%N)
    secs=$(seconds "$start" "$end")
    read -r conns bytes ok requests < <(tail -n "+$((before + 1))" "$log" |
        awk '!($1 in seen) { seen[$1]; n++ } { b += $2 } $3 == 200 { ok++ } END { print n + 0, b + 0, ok + 0, NR }')
    echo "$what: $secs s, $requests requests over $conns connection(s), $bytes bytes sent"
    if ((ok != 100 || requests != 100)); then
        echo "not all pages were fetched; the run said:" >&2
        tail -5 "$tmp/run.err" >&2
        exit 1
    fi
}

# Qt 6.4 trusts only certificates in fixed folders such as /etc/ssl/certs (SSL_CERT_FILE and
# SSL_CERT_DIR make no difference), so boardcast runs in a mount namespace of its own in
# which that folder is a copy of the system's with the bench's certificate added.
certs=$tmp/certs
mkdir "$certs" && cp -P /etc/ssl/certs/*.* "$certs/"
cp "$cert" "$certs/latency-bench.pem"
ln -s latency-bench.pem "$certs/$(openssl x509 -hash -noout -in "$cert").0"
check() {
    unshare --map-root-user --mount sh -c 'mount --bind "$0" /etc/ssl/certs && exec "$1" check --data-dir "$2"' \
        "$certs" "$bin" "$1"
}
measure "boardcast check (defaults), 100 pages over HTTPS 100 ms away" check "$tmp/https"
bc_secs=$secs bc_conns=$conns gz_bytes=$bytes
measure "boardcast check (defaults), 100 pages over plain HTTP 100 ms away" check "$tmp/http"

if command -v urlwatch >/dev/null; then
    printf 'report:\n  text:\n    enabled: false\n  stdout:\n    enabled: false\n' >"$tmp/urlwatch.yaml"
    measure "urlwatch (defaults), 100 pages over HTTPS 100 ms away" \
        env HOME="$tmp" REQUESTS_CA_BUNDLE="$cert" urlwatch --urls "$tmp/https/urls.yaml" \
        --config "$tmp/urlwatch.yaml" --cache "$tmp/urlwatch.db"
    ratio=$(awk "BEGIN { printf \"%.2f\", $bc_secs / $secs }")
    met=$(awk "BEGIN { print ($ratio <= 0.7 && $bc_conns <= 6) ? \"met\" : \"NOT met\" }")
    echo "boardcast/urlwatch: ${ratio}x the time, $bc_conns against $conns connections" \
        "(goal: at most 0.7x urlwatch's time with at most 6 connections: $met)"
else
    echo "urlwatch is not installed (apt-get install urlwatch): its run is skipped"
fi

measure "boardcast check (defaults), the same 100 pages from a location with gzip off" check "$tmp/raw"
echo "bytes received for the 100 captured pages: $gz_bytes with gzip against $bytes without" \
    "($(awk "BEGIN { printf \"%.1f\", 100 * $gz_bytes / $bytes }")%)"
