#include "framework/host/host_context.h"

HostContext& Host() {
    static HostContext context;
    return context;
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
