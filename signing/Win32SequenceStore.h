#pragma once

#include "signing/SignedUpdate.h"

#include <string>

// The highest accepted sequences in the settings file, section "Orvintal"
// beside the server list's stamp: keys "manifestsequence" and
// "serverlistsequence", decimal.
class ProfileSequenceStore : public ISequenceStore {
public:
    explicit ProfileSequenceStore(std::string iniPath) : m_iniPath(std::move(iniPath)) {}
    bool ReadHighest(SignedKind kind, uint64_t& highest) override;
    void WriteHighest(SignedKind kind, uint64_t sequence) override;

private:
    std::string m_iniPath;
};
