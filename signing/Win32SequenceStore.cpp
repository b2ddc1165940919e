#include "signing/Win32SequenceStore.h"

#include "text/Numbers.h"

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
    if (buffer[0] == '\0')
        return true;
    return ParseDecimal(buffer, UINT64_MAX, highest, LeadingZeros::kAllowed);
}

void ProfileSequenceStore::WriteHighest(SignedKind kind, uint64_t sequence) {
    ::WritePrivateProfileStringA(kSection, KeyFor(kind), std::to_string(sequence).c_str(),
                                 m_iniPath.c_str());
}
