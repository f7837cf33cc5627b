# A second "machine" for the across-machines test and benchmark: an sshd on 127.0.0.1
# only, at a free port, with a throw-away host key and user key, as the current user.
# Sourced by bash:
#
#   start_loopback_sshd FOLDER [LINE...]
#                                starts it; the keys, configs and log go to FOLDER, and
#                                each LINE is added to its sshd_config.
#                                Sets loopback_ssh (the ssh command that reaches it as
#                                the host `loopback`, for parallel's --ssh),
#                                loopback_port and loopback_sshd_pid.
#   stop_loopback_sshd           stops it by its process id (call it from an EXIT trap).
#
# Needs sshd, ssh and ssh-keygen (openssh-server, openssh-client) and perl.

loopback_sshd_pid=
loopback_ssh=
loopback_port=

stop_loopback_sshd() {
    if [ -n "$loopback_sshd_pid" ]; then
        kill "$loopback_sshd_pid" 2>/dev/null || true
        wait "$loopback_sshd_pid" 2>/dev/null || true
        loopback_sshd_pid=
    fi
}

start_loopback_sshd() {
    local folder=$1 user attempt line
    user=$(id -un)
    ssh-keygen -q -t ed25519 -N '' -C meshlift-loopback-host -f "$folder/host_key"
    ssh-keygen -q -t ed25519 -N '' -C meshlift-loopback-user -f "$folder/user_key"
    cp "$folder/user_key.pub" "$folder/authorized_keys"
    cat >"$folder/sshd_config" <<EOF
HostKey $folder/host_key
AuthorizedKeysFile $folder/authorized_keys
AllowUsers $user
PubkeyAuthentication yes
PasswordAuthentication no
KbdInteractiveAuthentication no
PermitRootLogin prohibit-password
StrictModes no
UsePAM no
PidFile none
EOF
    for line in "${@:2}"; do echo "$line" >>"$folder/sshd_config"; done
    cat >"$folder/ssh_config" <<EOF
Host loopback
    HostName 127.0.0.1
    User $user
    IdentityFile $folder/user_key
    IdentitiesOnly yes
    UserKnownHostsFile $folder/known_hosts
    StrictHostKeyChecking yes
    BatchMode yes
    ConnectTimeout 5
    LogLevel ERROR
EOF
    # sshd run as root needs its privilege separation folder, which its service makes.
    if [ "$(id -u)" = 0 ] && [ ! -d /run/sshd ]; then mkdir -m 755 /run/sshd; fi
    for attempt in 1 2 3 4 5; do # another program may take the port before sshd binds it
        loopback_port=$(perl -MIO::Socket::INET -e 'print IO::Socket::INET->new(
            Listen => 1, LocalAddr => "127.0.0.1", LocalPort => 0)->sockport')
        echo "[127.0.0.1]:$loopback_port $(cut -d' ' -f1-2 "$folder/host_key.pub")" >"$folder/known_hosts"
        /usr/sbin/sshd -D -e -f "$folder/sshd_config" -p "$loopback_port" -o ListenAddress=127.0.0.1 \
            2>"$folder/sshd.log" &
        loopback_sshd_pid=$!
        loopback_ssh="ssh -F $folder/ssh_config -p $loopback_port"
        for _ in $(seq 50); do
            if $loopback_ssh loopback true 2>/dev/null; then return 0; fi
            kill -0 "$loopback_sshd_pid" 2>/dev/null || break
            sleep 0.1
        done
        stop_loopback_sshd
    done
    cat "$folder/sshd.log" >&2
    echo "loopback sshd: did not start" >&2
    return 1
}
