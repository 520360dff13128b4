#pragma once

#include <functional>
#include <string>

/// What the host application knows of the session, set by the host at start and read
/// by the host units (Lumbra, Geral) on the screens' behalf.
struct HostContext {
    std::string operatorCode = "001";
    std::string operatorName = "Operador";
    std::string branch = "0001"; ///< the processing branch
    int activeModule = 30;
    bool perBranch = true; ///< the module works per branch
    std::string serverHost = "127.0.0.1";
    int serverPort = 8211;
    std::string serverToken;
    bool serverTls = false;   ///< the server speaks HTTPS
    std::string serverCaFile; ///< the authority its certificate is checked against
    /// How long a call may receive nothing before it fails, in seconds.
    int serverSilenceSeconds = 20;
    /// The session the operator signed in to, for the operator, branch and module of
    /// `sessionFor`; every screen's calls are made in it.
    std::string serverSession;
    std::string sessionFor;
    /// For unattended use (scripts, tests): the password of an operator, to sign in with
    /// whenever the context needs a session it has not got. Unset: never signs in alone.
    std::function<std::string(const std::string& op)> unattendedPassword;
    /// For a person: asks them to sign in again after the server ended the session; gives
    /// the new session, or "" when they gave up.
    std::function<std::string()> signInAgain;

    std::string databaseUrl;
    /// Where the user's settings live (saved filter options); empty: $XDG_CONFIG_HOME
    /// or ~/.config, under "ocorrencias".
    std::string configDir;
    /// Edit mask of product tree codes.
    std::string productPicture = "99.99.999.9999;0;_";
};

HostContext& Host();
/// The settings folder of the context, resolved (see HostContext::configDir).
std::string ConfigDir();

/// The logged-in session, the processing branch and the server.
namespace Lumbra {
std::string Operador();
std::string NomeOperador();
std::string FiliProc();
bool ModuFili();
std::string WebURL();
int WebPort();
/// Picture kind 0: the edit mask of product tree codes; other kinds have none.
std::string DBPict(int pictureKind);
} // namespace Lumbra

class TNetConnection;
/// Points a connection at the session's application server (address, port, token, TLS),
/// as every screen's connection does before it connects, and makes its calls in the
/// context's session.
void UseHostServer(TNetConnection& net);
/// The same, without the session: for the connection that signs in.
void UseHostServerAddress(TNetConnection& net);
/// The session for the context's operator, branch and module: the one signed in to,
/// or (unattended) a new one. With `renew`, the server said the last one ended: a new
/// one is asked for. "" when there is none to be had. Raises Exception when an unattended
/// sign-in is refused.
std::string HostSession(bool renew = false);
struct SignInAnswer;
/// Makes a sign-in's session the context's: its operator (code and name as the server
/// knows them), branch, module and session.
void AdoptSession(const SignInAnswer& answer);

namespace Geral {
/// The number of the active module.
int ModuloAtiv();
} // namespace Geral
