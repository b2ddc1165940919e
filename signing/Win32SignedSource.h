#pragma once

#include "net/Win32HttpFetch.h"
#include "signing/SignedUpdate.h"
#include "signing/Win32CngVerifier.h"
#include "signing/Win32SequenceStore.h"

#include <string>

// What a launcher built with the community's key reads its signed documents
// through: the portal, Windows' verification and the sequences in the
// settings file. Get() is null for a launcher built without a key.
class Win32SignedSource {
public:
    Win32SignedSource(const SigningSettings& signing, const std::string& iniPath)
        : m_http(UpdateMode::kSigned), m_verifier(signing.publicKey),
          m_sequences(iniPath), m_source{m_http, m_verifier, m_sequences, signing.floor},
          m_keyed(!signing.publicKey.empty()) {}
    Win32SignedSource(const Win32SignedSource&) = delete;
    Win32SignedSource& operator=(const Win32SignedSource&) = delete;

    SignedSource* Get() { return m_keyed ? &m_source : nullptr; }

private:
    HttpFetch m_http;
    CngVerifier m_verifier;
    ProfileSequenceStore m_sequences;
    SignedSource m_source;
    bool m_keyed;
};
