#pragma once

#include "apps/host_options.h"

namespace oca::desktop {

/// Signs the operator in before the desktop opens: with the password an unattended host
/// was given, or by asking the person until the server accepts or they give up. Once
/// signed in, the host context holds the session, and the operator's code and name as the
/// server knows them; a session the server ends later is asked for again the same way.
/// False when the person gave up or an unattended sign-in was refused (said on stderr
/// and in a message box).
bool SignInAtStart(const HostOptions& options);

/// Ends the session on the server, as the desktop closes; a failure changes nothing.
void SignOut();

} // namespace oca::desktop
