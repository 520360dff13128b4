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

oca_build() {
    local jobs
    jobs="$(nproc 2>/dev/null || echo 2)"
    cmake -S "$OCA_ROOT" -B "$OCA_BUILD" -G Ninja -DCMAKE_BUILD_TYPE="${OCA_BUILD_TYPE:-RelWithDebInfo}"
    cmake --build "$OCA_BUILD" -j "$jobs"
}
