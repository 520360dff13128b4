# Shared by scripts/run and scripts/test: install what is missing, configure and build.
# Sourced, not run.

OCA_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
OCA_BUILD="${OCA_BUILD:-$OCA_ROOT/build}"
source "$OCA_ROOT/scripts/lib/pg.sh"

# Every Debian package the build and the tests need. Add new ones here only.
OCA_PACKAGES=(
    build-essential cmake ninja-build pkg-config
    libsqlite3-dev sqlite3
    nlohmann-json3-dev libcpp-httplib-dev libssl-dev zlib1g-dev libbrotli-dev libboost-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    qt6-base-dev qt6-charts-dev libqt6opengl6-dev fonts-dejavu-core fontconfig
    clang-format clang libclang-rt-dev
    python3 python3-jsonrpclib-pelix
    libpq-dev postgresql postgresql-client
    libsodium-dev qt6-translations-l10n
    poppler-utils libsystemd-dev haproxy
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

# Every C++ file of the project as clang-format (with the project's .clang-format) would
# write it; lists the files that differ and fails.
oca_format_check() {
    local files
    files="$(cd "$OCA_ROOT" && git ls-files '*.cpp' '*.h' 2>/dev/null ||
        find apps bench fuzz services register filter package qualification treatment tests \
            -name '*.cpp' -o -name '*.h')"
    if ! (cd "$OCA_ROOT" && xargs clang-format --dry-run -Werror <<<"$files" >/dev/null 2>&1); then
        echo "Arquivos fora do formato do projeto (clang-format -i para corrigir):" >&2
        (cd "$OCA_ROOT" && xargs clang-format --dry-run <<<"$files" 2>&1 |
            sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: warning.*/  \1/p' | sort -u) >&2
        return 1
    fi
}

# A whole desktop session under AddressSanitizer, off screen: the host starts on a small
# demo company with the three modules (the treatment module telling the status bar the
# operator's overdue actions), opens the register screen, closes its filter and itself, and
# unloads the modules. Any use after free or double free at exit fails it. Built apart in build-asan.
oca_desktop_session_check() {
    local jobs asan work port
    jobs="$(nproc 2>/dev/null || echo 2)"
    asan="${OCA_BUILD_ASAN:-$OCA_ROOT/build-asan}"
    cmake -S "$OCA_ROOT" -B "$asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
        -DOCA_BUILD_TESTS=OFF -DOCA_BUILD_BENCH=OFF \
        -DCMAKE_CXX_FLAGS="-fsanitize=address -fno-omit-frame-pointer -O1" \
        -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address \
        -DCMAKE_SHARED_LINKER_FLAGS=-fsanitize=address >/dev/null
    cmake --build "$asan" -j "$jobs" --target oca-host OCA0080A OCA0081A OCA0082A
    work="$(mktemp -d)"
    port=$((20000 + RANDOM % 20000))
    "$OCA_BUILD/bin/oca-dbinit" --db "sqlite:$work/session.sqlite" --demo --occurrences 200 >/dev/null
    OCA_TOKEN=sessao "$OCA_BUILD/bin/oca-appserver" --db "sqlite:$work/session.sqlite" \
        --listen "127.0.0.1:$port" >"$work/server.log" 2>&1 &
    local server=$! status=0
    sleep 1
    OCA_TOKEN=sessao OCA_PASSWORD=senha001 ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=offscreen \
        XDG_RUNTIME_DIR="$work" \
        QT_LOGGING_RULES="default.warning=false" \
        timeout 180 "$asan/bin/oca-host" --library "$asan/lib/libOCA0080A.so" \
        --also-library "$asan/lib/libOCA0081A.so" --also-library "$asan/lib/libOCA0082A.so" \
        --db "sqlite:$work/session.sqlite" --server "127.0.0.1:$port" \
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

# The wire readers (JSON-RPC requests, wire values, HTTP heads) fed with generated bytes
# by libFuzzer under AddressSanitizer and UBSan, for a bounded number of inputs. Built
# apart with clang in build-fuzz.
oca_fuzz_check() {
    local jobs fuzz runs corpus
    jobs="$(nproc 2>/dev/null || echo 2)"
    fuzz="${OCA_BUILD_FUZZ:-$OCA_ROOT/build-fuzz}"
    runs="${OCA_FUZZ_RUNS:-200000}"
    CC=clang CXX=clang++ cmake -S "$OCA_ROOT" -B "$fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DOCA_BUILD_TESTS=OFF -DOCA_BUILD_BENCH=OFF -DOCA_FUZZ=ON \
        -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer" \
        -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
        -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
    cmake --build "$fuzz" -j "$jobs" --target oca-fuzz-wire
    corpus="$(mktemp -d)"
    if ! "$fuzz/bin/oca-fuzz-wire" -runs="$runs" -max_len=4096 -seed=1 \
        "$corpus" "$OCA_ROOT/fuzz/corpus" >"$corpus.log" 2>&1; then
        echo "Fuzz dos leitores do protocolo falhou:" >&2
        tail -n 40 "$corpus.log" >&2
        rm -rf "$corpus" "$corpus.log"
        return 1
    fi
    echo "Fuzz dos leitores do protocolo: $runs entradas, nenhuma falha."
    rm -rf "$corpus" "$corpus.log"
}
