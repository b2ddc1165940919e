#include "update/Win32SequenceStore.h"

#include <windows.h>

#include <string>

namespace {

constexpr char kSection[] = "Orvintal";

const char* KeyFor(SignedKind kind) {
    return kind == SignedKind::kManifest ? "manifestsequence" : "serverlistsequence";
}

} // namespace

uint64_t ProfileSequenceStore::ReadHighest(SignedKind kind) {
    char buffer[32] = {};
    ::GetPrivateProfileStringA(kSection, KeyFor(kind), "", buffer, sizeof buffer, m_iniPath.c_str());
    // A value the launcher did not write (edited by hand) reads as none: the
    // threat here is the network, not the player's own disk.
    uint64_t value = 0;
    for (const char* p = buffer; *p; ++p) {
        if (*p < '0' || *p > '9' || value > (UINT64_MAX - (*p - '0')) / 10)
            return 0;
        value = value * 10 + static_cast<uint64_t>(*p - '0');
    }
    return value;
}

void ProfileSequenceStore::WriteHighest(SignedKind kind, uint64_t sequence) {
    ::WritePrivateProfileStringA(kSection, KeyFor(kind), std::to_string(sequence).c_str(),
                                 m_iniPath.c_str());
}
