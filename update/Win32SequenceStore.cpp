#include "update/Win32SequenceStore.h"

#include <windows.h>

#include <string>

namespace {

constexpr char kSection[] = "Orvintal";

const char* KeyFor(SignedKind kind) {
    return kind == SignedKind::kManifest ? "manifestsequence" : "serverlistsequence";
}

} // namespace

bool ProfileSequenceStore::ReadHighest(SignedKind kind, uint64_t& highest) {
    char buffer[32] = {};
    ::GetPrivateProfileStringA(kSection, KeyFor(kind), "", buffer, sizeof buffer,
                               m_iniPath.c_str());
    // A value the launcher did not write (edited, damaged, too long for the
    // buffer) cannot be read; an empty one is none.
    highest = 0;
    for (const char* p = buffer; *p; ++p) {
        if (*p < '0' || *p > '9' || highest > (UINT64_MAX - (*p - '0')) / 10) {
            highest = 0;
            return false;
        }
        highest = highest * 10 + static_cast<uint64_t>(*p - '0');
    }
    return true;
}

void ProfileSequenceStore::WriteHighest(SignedKind kind, uint64_t sequence) {
    ::WritePrivateProfileStringA(kSection, KeyFor(kind), std::to_string(sequence).c_str(),
                                 m_iniPath.c_str());
}
