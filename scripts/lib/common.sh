# Shared by scripts/run and scripts/test: install what is missing, configure and build.
# Sourced, not run.

OCA_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
OCA_BUILD="${OCA_BUILD:-$OCA_ROOT/build}"

# Every Debian package the build and the tests need. Add new ones here only.
OCA_PACKAGES=(
    build-essential cmake ninja-build pkg-config
    libsqlite3-dev sqlite3
    nlohmann-json3-dev libcpp-httplib-dev libssl-dev zlib1g-dev libbrotli-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    qt6-base-dev fonts-dejavu-core fontconfig
    clang-format
)

oca_install() {
    local missing=()
    local pkg
    for pkg in "${OCA_PACKAGES[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$pkg")
        fi
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return 0
    fi
    echo "Instalando pacotes: ${missing[*]}"
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        sudo="sudo"
    fi
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Configures (quietly: the log is shown only when it fails) and builds the targets given,
# or everything.
oca_build() {
    local jobs log targets=()
    jobs="$(nproc 2>/dev/null || echo 2)"
    log="$(mktemp)"
    if ! cmake -S "$OCA_ROOT" -B "$OCA_BUILD" -G Ninja \
        -DCMAKE_BUILD_TYPE="${OCA_BUILD_TYPE:-RelWithDebInfo}" >"$log" 2>&1; then
        cat "$log" >&2
        rm -f "$log"
        return 1
    fi
    rm -f "$log"
    if [ $# -gt 0 ]; then
        targets=(--target "$@")
    fi
    cmake --build "$OCA_BUILD" -j "$jobs" "${targets[@]}"
}

# A whole desktop session under AddressSanitizer, off screen: the host starts on a small
# demo company, opens the register screen, closes its filter and itself, and unloads the
# module. Any use after free or double free at exit fails it. Built apart in build-asan.
oca_desktop_session_check() {
    local jobs asan work port
    jobs="$(nproc 2>/dev/null || echo 2)"
    asan="${OCA_BUILD_ASAN:-$OCA_ROOT/build-asan}"
    cmake -S "$OCA_ROOT" -B "$asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
        -DOCA_BUILD_TESTS=OFF -DOCA_BUILD_BENCH=OFF \
        -DCMAKE_CXX_FLAGS="-fsanitize=address -fno-omit-frame-pointer -O1" \
        -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address \
        -DCMAKE_SHARED_LINKER_FLAGS=-fsanitize=address >/dev/null
    cmake --build "$asan" -j "$jobs" --target oca-host OCA0080A
    work="$(mktemp -d)"
    port=$((20000 + RANDOM % 20000))
    "$OCA_BUILD/bin/oca-dbinit" --db "sqlite:$work/session.sqlite" --demo --occurrences 200 >/dev/null
    "$OCA_BUILD/bin/oca-appserver" --db "sqlite:$work/session.sqlite" \
        --listen "127.0.0.1:$port" --token sessao >"$work/server.log" 2>&1 &
    local server=$! status=0
    sleep 1
    ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$work" \
        QT_LOGGING_RULES="default.warning=false" \
        timeout 180 "$asan/bin/oca-host" --library "$asan/lib/libOCA0080A.so" \
        --db "sqlite:$work/session.sqlite" --server "127.0.0.1:$port" --token sessao \
        --open --exit-after 1500 >"$work/host.log" 2>&1 || status=$?
    kill "$server" 2>/dev/null || true
    wait "$server" 2>/dev/null || true
    if [ "$status" -ne 0 ] || grep -q "ERROR: AddressSanitizer" "$work/host.log"; then
        echo "Sessão do desktop sob AddressSanitizer falhou (saída $status):" >&2
        grep -A30 "ERROR: AddressSanitizer" "$work/host.log" >&2 || tail -n 20 "$work/host.log" >&2
        rm -rf "$work"
        return 1
    fi
    echo "Sessão do desktop sob AddressSanitizer: saída 0, nenhum erro."
    rm -rf "$work"
}
