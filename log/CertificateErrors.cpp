#include "log/CertificateErrors.h"

#include <windows.h>
#include <wininet.h>

const char* SecureConnectionProblem(unsigned long code) {
    switch (code) {
    case ERROR_INTERNET_SEC_CERT_DATE_INVALID:
        return "the server's certificate has expired or is not valid yet (or this computer's "
               "clock is wrong): renew the certificate";
    case ERROR_INTERNET_SEC_CERT_CN_INVALID:
        return "the server's certificate is for another host name than the portal host the "
               "launcher was built with";
    case ERROR_INTERNET_INVALID_CA:
        return "the server's certificate comes from an authority that Windows does not trust "
               "(self-signed, or the server does not send its intermediate certificate)";
    case ERROR_INTERNET_SEC_CERT_REV_FAILED:
        return "Windows could not check whether the server's certificate was revoked (Wine "
               "reports an authority it does not trust this way too)";
    case ERROR_INTERNET_SEC_INVALID_CERT:
        return "the server's certificate is not valid";
    case ERROR_INTERNET_SEC_CERT_REVOKED:
        return "the server's certificate has been revoked by its authority";
    case ERROR_INTERNET_SECURITY_CHANNEL_ERROR:
        return "no secure connection could be set up (the port may not speak HTTPS, or the "
               "server offers nothing Windows accepts)";
    case ERROR_INTERNET_CLIENT_AUTH_CERT_NEEDED:
        return "the server asks for a client certificate, which the launcher does not have";
    default:
        return nullptr;
    }
}
