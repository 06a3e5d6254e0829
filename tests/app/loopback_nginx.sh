# Starts nginx on 127.0.0.1 serving a folder, with its config, pid and logs in a folder of
# its own, on the first free port it finds; sets nginx_pid and nginx_port. /moved answers
# 301 to /grows.html. Requests are logged to STATE-FOLDER/access.log. Returns 1 when nginx does not start.
# Further server-block lines may be given in nginx_extra.
# Usage: start_loopback_nginx STATE-FOLDER WWW-FOLDER
start_loopback_nginx() {
    local state=$1 www=$2
    mkdir -p "$state"
    for _ in $(seq 10); do
        nginx_port=$((20000 + RANDOM % 30000))
        (exec 3<>/dev/tcp/127.0.0.1/$nginx_port) 2>/dev/null && continue
        cat >"$state/nginx.conf" <<CONF
daemon off;
master_process off;
user root;
pid $state/nginx.pid;
error_log $state/error.log;
events { worker_connections 1024; }
http {
    access_log $state/access.log;
    client_body_temp_path $state/body;
    proxy_temp_path $state/proxy;
    fastcgi_temp_path $state/fastcgi;
    uwsgi_temp_path $state/uwsgi;
    scgi_temp_path $state/scgi;
    server {
        listen 127.0.0.1:$nginx_port;
        root $www;
        location = /moved { return 301 /grows.html; }
        ${nginx_extra:-}
    }
}
CONF
        /usr/sbin/nginx -p "$state" -c "$state/nginx.conf" 2>"$state/start.log" &
        nginx_pid=$!
        for _ in $(seq 50); do
            (exec 3<>/dev/tcp/127.0.0.1/$nginx_port) 2>/dev/null && return 0
            kill -0 "$nginx_pid" 2>/dev/null || break
            sleep 0.1
        done
        kill "$nginx_pid" 2>/dev/null
    done
    cat "$state/start.log" >&2
    return 1
}

stop_loopback_nginx() {
    kill "$nginx_pid" 2>/dev/null
    wait "$nginx_pid" 2>/dev/null
}
