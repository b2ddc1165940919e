#pragma once

#include "identity/ICookieFile.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

// Fills count bytes with unpredictable values; false when it could not.
using RandomFill = std::function<bool(unsigned char* bytes, std::size_t count)>;

// The stored account and identity values of this installation: the two
// portal access values and the language the portal reported, kept in
// "cookie.dat", and the machine identifier derived from the drive serial.
// The access values are scrambled in the file with a key derived from the
// same serial, so they read back only on the machine that wrote them.
class AccountRecord {
public:
    // Derives the identifier and the key from the drive serial and loads the
    // file; random fills the bytes after each value's end when saving (by
    // default the standard library's random device). The launcher builds its
    // own through ProbeDriveAndReadAccount (app/InstalledAccount.h).
    AccountRecord(const std::string& driveSerial, std::unique_ptr<ICookieFile> file,
                  RandomFill random = RandomFill());
    AccountRecord(const AccountRecord&) = delete;
    AccountRecord& operator=(const AccountRecord&) = delete;

    void Load();
    // Never leaves a torn file: the new bytes replace the file as a whole or
    // not at all.
    void Save();

    static constexpr size_t kFieldSize = 64;
    static constexpr size_t kFileSize = 3 * kFieldSize;

private:
    void ScrambleBuffer();
    void FillBuffer(const std::string& value);
    void PadAfterValue(const std::string& value);

    std::unique_ptr<ICookieFile> m_cookieFile;
    RandomFill m_random;
    char m_cookieBuffer[kFieldSize + 1];
    std::string m_cookieKey;

public:
    std::string m_accessMid;
    std::string m_accessCode;
    std::string m_lang;
    std::string m_machineId;
};
