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

void UseHostServerAddress(TNetConnection& net) {
    net.SetHost(Lumbra::WebURL());
    net.SetPort(Lumbra::WebPort());
    net.SetToken(Host().serverToken);
    net.SetTls(Host().serverTls);
    net.SetCaFile(Host().serverCaFile);
    net.SetTimeoutSeconds(Host().serverSilenceSeconds);
}

namespace {

std::string SessionKey() {
    const HostContext& h = Host();
    return h.operatorCode + "|" + h.branch + "|" + std::to_string(h.activeModule);
}

} // namespace

void UseHostServer(TNetConnection& net) {
    UseHostServerAddress(net);
    net.SessionSource = HostSession;
}

void AdoptSession(const SignInAnswer& answer) {
    HostContext& h = Host();
    h.operatorCode = answer.op;
    h.operatorName = answer.name;
    h.branch = answer.branch;
    h.activeModule = answer.module;
    h.serverSession = answer.session;
    h.sessionFor = SessionKey();
}

std::string HostSession(bool renew) {
    HostContext& h = Host();
    const std::string key = SessionKey();
    if (!renew && !h.serverSession.empty() && h.sessionFor == key) {
        return h.serverSession;
    }
    if (h.unattendedPassword) {
        TNetConnection signer;
        signer.SetServerName("OCA0080A.rdmOcorAtendimento");
        UseHostServerAddress(signer);
        // A script names its operator's name itself; the rest is the server's.
        const std::string name = h.operatorName;
        AdoptSession(signer.SignIn(h.operatorCode, h.unattendedPassword(h.operatorCode), h.branch,
                                   h.activeModule));
        h.operatorName = name.empty() ? h.operatorName : name;
        return h.serverSession;
    }
    if (renew) {
        h.serverSession = h.signInAgain ? h.signInAgain() : std::string();
        h.sessionFor = h.serverSession.empty() ? std::string() : key;
    }
    return h.serverSession;
}
