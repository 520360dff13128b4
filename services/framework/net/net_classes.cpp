// The server connection component, registered by this layer for form definitions.
#include "framework/forms/class_registry.h"
#include "framework/net/net_connection.h"

namespace {

void RegisterConnection(ClassRegistry& r) {
    ClassInfo& net = r.Add("TNetConnection", "TComponent", Maker<TNetConnection>());
    net.properties["ServerName"] = StringProperty<TNetConnection>(
        [](TNetConnection& x, const std::string& v) { x.SetServerName(v); });
    net.properties["ThrowException"] =
        BoolProperty<TNetConnection>([](TNetConnection& x, bool v) { x.SetThrowException(v); });
    net.properties["BeforeConnect"] = EventProperty(&TNetConnection::BeforeConnect);
}

const ClassRegistration registration(RegisterConnection);

} // namespace
