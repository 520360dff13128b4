#include "framework/host/host_context.h"

#include "framework/net/net_connection.h"

#include <cstdlib>

HostContext& Host() {
    static HostContext context;
    return context;
}

std::string ConfigDir() {
    if (!Host().configDir.empty()) {
        return Host().configDir;
    }
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) {
        return std::string(xdg) + "/ocorrencias";
    }
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/.config/ocorrencias";
}

namespace Lumbra {

std::string Operador() {
    return Host().operatorCode;
}

std::string NomeOperador() {
    return Host().operatorName;
}

std::string FiliProc() {
    return Host().branch;
}

bool ModuFili() {
    return Host().perBranch;
}

std::string WebURL() {
    return Host().serverHost;
}

int WebPort() {
    return Host().serverPort;
}

std::string DBPict(int pictureKind) {
    return pictureKind == 0 ? Host().productPicture : std::string();
}

} // namespace Lumbra

namespace Geral {

int ModuloAtiv() {
    return Host().activeModule;
}

} // namespace Geral

void UseHostServer(TNetConnection& net) {
    net.SetHost(Lumbra::WebURL());
    net.SetPort(Lumbra::WebPort());
    net.SetToken(Host().serverToken);
    net.SetTls(Host().serverTls);
    net.SetCaFile(Host().serverCaFile);
    net.SetTimeoutSeconds(Host().serverSilenceSeconds);
}
