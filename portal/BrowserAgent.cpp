#include "portal/BrowserAgent.h"

#include <windows.h>
#include <urlmon.h>

bool AddToBrowserUserAgent(const std::string& token) {
    // The control's own agent string first, so the portal still sees the
    // browser it is talking to.
    char agent[1024] = {};
    DWORD size = sizeof agent - 1;
    if (FAILED(::ObtainUserAgentString(0, agent, &size)))
        return false;
    std::string combined = std::string(agent) + " " + token;
    return SUCCEEDED(::UrlMkSetSessionOption(URLMON_OPTION_USERAGENT, &combined[0],
                                             static_cast<DWORD>(combined.size()), 0));
}
