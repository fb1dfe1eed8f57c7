#include "web/EngineFlags.h"

#include <QList>

namespace {

constexpr QByteArrayView kJsFlags = "--js-flags=";

// Splits the variable as the engine does: at spaces, a quoted part kept whole, quotes dropped.
QList<QByteArray> engineArguments(const QByteArray& flags)
{
    QList<QByteArray> arguments;
    QByteArray argument;
    bool quoted = false;
    bool inArgument = false;
    for (const char c : flags) {
        if (c == '"') {
            quoted = !quoted;
            inArgument = true;
        } else if (c == ' ' && !quoted) {
            if (inArgument)
                arguments.append(argument);
            argument.clear();
            inArgument = false;
        } else {
            argument.append(c);
            inArgument = true;
        }
    }
    if (inArgument)
        arguments.append(argument);
    return arguments;
}

} // namespace

QByteArray ConfinedEngineFlags(const QByteArray& userFlags, int scriptHeapMb)
{
    QByteArray jsFlags;
    for (const QByteArray& argument : engineArguments(userFlags)) {
        if (argument.startsWith(kJsFlags))
            jsFlags = argument.mid(kJsFlags.size());
    }
    // V8 takes the last of a flag given twice: the heap limit goes after the user's own.
    const QByteArray heapLimit = "--max-old-space-size=" + QByteArray::number(scriptHeapMb);
    if (!jsFlags.endsWith(heapLimit))
        jsFlags += (jsFlags.isEmpty() ? "" : " ") + heapLimit;
    QByteArray confinement = '"' + kJsFlags.toByteArray() + jsFlags + '"';
    // WebRTC's TURN over TCP and WebTransport open sockets that the request interceptor never
    // sees: they go to a proxy nobody can listen on (port 0), loopback addresses included.
    confinement += " --proxy-server=http://127.0.0.1:0 --proxy-bypass-list=<-loopback>";
    // WebRTC sends STUN over UDP past any proxy unless held to proxied connections.
    confinement += " --force-webrtc-ip-handling-policy=disable_non_proxied_udp";

    QByteArray user = userFlags.trimmed();
    // A program started by one of ours (a scheduled run) inherits our switches already.
    if (user.endsWith(confinement))
        return user;
    return user.isEmpty() ? confinement : user + ' ' + confinement;
}
