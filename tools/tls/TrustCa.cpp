// vemor-trust-ca CERTIFICATE.der: makes a test authority trusted by the Wine
// prefix it runs in, for the tests that fetch over HTTPS. The certificate
// goes into the prefix's own machine root store (its registry), which
// Windows' certificate checks read; the host's certificate store is never
// touched. On real Windows it refuses to run: there it would change what the
// whole machine trusts.
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

int main(int argc, char** argv) {
    if (!::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "wine_get_version")) {
        std::fprintf(stderr, "vemor-trust-ca: runs under Wine only\n");
        return 2;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: vemor-trust-ca CERTIFICATE.der\n");
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    const std::string der((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (der.empty()) {
        std::fprintf(stderr, "vemor-trust-ca: cannot read %s\n", argv[1]);
        return 1;
    }
    HCERTSTORE root =
        ::CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, "Root");
    if (!root) {
        std::fprintf(stderr, "vemor-trust-ca: no machine root store (error %lu)\n",
                     ::GetLastError());
        return 1;
    }
    const BOOL added = ::CertAddEncodedCertificateToStore(
        root, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
        static_cast<DWORD>(der.size()), CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
    const DWORD error = ::GetLastError();
    ::CertCloseStore(root, 0);
    if (!added) {
        std::fprintf(stderr, "vemor-trust-ca: %s not added (error %lu)\n", argv[1], error);
        return 1;
    }
    return 0;
}
