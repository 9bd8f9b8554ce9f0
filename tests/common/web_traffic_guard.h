#pragma once

#include <windows.h>

#include <optional>
#include <vector>

// The browser control loads pages of the maker's site as soon as a browser window opens. While
// this guard lives, all web traffic of the test prefix goes to a proxy on a closed port of this
// machine, so that no page is ever requested from the network; the current user's proxy
// settings are put back afterwards. A process reads them when it first goes online, so the guard
// must stand before the browser window opens.
class WebTrafficToClosedLoopbackPort {
public:
    WebTrafficToClosedLoopbackPort();
    ~WebTrafficToClosedLoopbackPort();
    WebTrafficToClosedLoopbackPort(const WebTrafficToClosedLoopbackPort&) = delete;
    WebTrafficToClosedLoopbackPort& operator=(const WebTrafficToClosedLoopbackPort&) = delete;

private:
    struct Saved {
        const wchar_t* name;
        DWORD type = REG_NONE;
        std::optional<std::vector<BYTE>> value;
    };
    Saved m_saved[3] = {
        {L"ProxyEnable", REG_NONE, {}}, {L"ProxyServer", REG_NONE, {}}, {L"ProxyOverride", REG_NONE, {}}};
};
