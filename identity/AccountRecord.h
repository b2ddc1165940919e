#pragma once

#include <string>

// The stored account and identity values of this installation: the two
// portal access values and the language the portal reported, and the machine
// identifier. The record starts empty; reading the drive serial, the digests
// and "cookie.dat" are added with the identity work.
class AccountRecord {
public:
    AccountRecord() = default;
    AccountRecord(const AccountRecord&) = delete;
    AccountRecord& operator=(const AccountRecord&) = delete;

    std::string m_accessMid;
    std::string m_accessCode;
    std::string m_lang;
    std::string m_machineId;
};
