#pragma once

#include <string>

// The portal page's script functions as the handshake uses them. The view
// implements it over the loaded page; tests use stand-ins.
class IPortalPage {
public:
    // True once a page document is attached, so that page calls can reach
    // the page at all.
    virtual bool HasDocument() const = 0;
    // get_access_mid(), get_access_code(), get_lang(): true when the function
    // ran, its value then in value; false (value untouched) when the page has
    // no such function or its script failed.
    virtual bool GetAccessMid(std::string& value) = 0;
    virtual bool GetAccessCode(std::string& value) = 0;
    virtual bool GetLang(std::string& value) = 0;
    // authorize(mid, code, machineId): true when the function was found and
    // ran without a script error.
    virtual bool Authorize(const std::string& mid, const std::string& code,
                           const std::string& machineId) = 0;

protected:
    ~IPortalPage() = default;
};
