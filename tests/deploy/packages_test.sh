#!/bin/bash
# The Debian packages as a company gets them: built by cpack, with the files, dependencies
# and scripts they need, a unit systemd accepts, and the server installed from them
# answering /ready when started as its unit starts it (from an unpacked tree: no root).
set -euo pipefail
build="$1"
work="$(mktemp -d)"
trap 'pkill -f "$work/root/usr/bin/oca-appserver" 2>/dev/null || true; rm -rf "$work"' EXIT
fail() { echo "FALHOU: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$work/debs" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack"; }
server=$(ls "$work"/debs/oca-appserver_*.deb)
common=$(ls "$work"/debs/oca-common_*.deb)
desktop=$(ls "$work"/debs/oca-desktop_*.deb)

listing() { dpkg-deb -c "$1" | awk '{print $6}'; }
for f in ./usr/bin/oca-appserver ./usr/bin/oca-dbinit ./usr/bin/oca-admin ./etc/oca/appserver.conf \
         ./usr/lib/systemd/system/oca-appserver.service; do
    listing "$server" | grep -qx "$f" || fail "oca-appserver sem $f"
done
for f in ./usr/lib/oca/libocacore.so ./usr/lib/oca/libocaappserver.so; do
    listing "$common" | grep -qx "$f" || fail "oca-common sem $f"
done
for f in ./usr/bin/oca-host ./usr/bin/oca-report ./usr/lib/oca/libOCA0080A.so \
         ./usr/lib/oca/libOCA0081A.so ./usr/lib/oca/libOCA0082A.so \
         ./usr/share/applications/oca-host.desktop; do
    listing "$desktop" | grep -qx "$f" || fail "oca-desktop sem $f"
done
dpkg-deb -f "$server" Depends | grep -q "libsystemd0" || fail "oca-appserver não depende de libsystemd0"
dpkg-deb -f "$server" Depends | grep -q "oca-common (= " || fail "oca-appserver não depende de oca-common"
dpkg-deb -f "$desktop" Depends | grep -q "libqt6widgets6" || fail "oca-desktop não depende do Qt"
dpkg-deb -e "$server" "$work/control"
grep -qx "/etc/oca/appserver.conf" "$work/control/conffiles" || fail "configuração fora de conffiles"
grep -q "adduser --system" "$work/control/postinst" || fail "postinst não cria o usuário"

mkdir -p "$work/root"
for deb in "$server" "$common" "$desktop"; do dpkg-deb -x "$deb" "$work/root"; done
unit="$work/root/usr/lib/systemd/system/oca-appserver.service"
grep -q "^Type=notify" "$unit" || fail "a unidade não espera o aviso de pronto"
grep -q "^ProtectSystem=strict" "$unit" || fail "a unidade sem ProtectSystem=strict"
if command -v systemd-analyze >/dev/null; then
    # The unit as installed: its program at its installed path.
    sed "s|/usr/bin/oca-appserver|$work/root/usr/bin/oca-appserver|" "$unit" >"$work/oca-appserver.service"
    systemd-analyze verify "$work/oca-appserver.service" || fail "systemd-analyze verify"
fi

# Started as the unit starts it: from its configuration file, the paths moved to the tree.
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
sed -e "s|^db = .*|db = sqlite:$work/empresa.db|" -e "s|^listen = .*|listen = 127.0.0.1:$port|" \
    "$work/root/etc/oca/appserver.conf" >"$work/appserver.conf"
"$work/root/usr/bin/oca-dbinit" --db "sqlite:$work/empresa.db" >/dev/null
"$work/root/usr/bin/oca-appserver" --config "$work/appserver.conf" 2>"$work/server.log" &
for _ in $(seq 100); do
    if python3 -c "import urllib.request,sys; sys.exit(0 if urllib.request.urlopen('http://127.0.0.1:$port/ready').read()==b'pronto\n' else 1)" 2>/dev/null; then
        echo "ok: pacotes construídos, unidade verificada, servidor instalado pronto"
        exit 0
    fi
    sleep 0.1
done
cat "$work/server.log" >&2
fail "o servidor instalado não ficou pronto"
