#include "identity/AccountRecord.h"

#include "identity/IdentifyText.h"
#include "identity/TextDigest.h"

#include <algorithm>
#include <cstring>
#include <random>

namespace {

// Joined to the serial before digesting, so that the key is not the machine
// identifier that the portal sees.
const char kKeySalt[] = "qz73MRA";

std::string TrimBlanks(const std::string& text) {
    size_t first = 0;
    size_t end = text.size();
    while (first < end && IsBlank(text[first]))
        ++first;
    while (end > first && IsBlank(text[end - 1]))
        --end;
    return text.substr(first, end - first);
}

bool RandomDeviceFill(unsigned char* bytes, std::size_t count) {
    try {
        std::random_device device;
        for (std::size_t i = 0; i < count; ++i)
            bytes[i] = static_cast<unsigned char>(device());
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace

AccountRecord::AccountRecord(const std::string& driveSerial, std::unique_ptr<ICookieFile> file,
                             RandomFill random)
    : m_cookieFile(std::move(file)), m_random(random ? std::move(random) : RandomDeviceFill) {
    m_cookieKey = TrimBlanks(driveSerial);
    TextDigest digest;
    digest.SetAlgorithm(TextDigest::kMd5);
    digest.SetText(m_cookieKey);
    m_machineId = digest.GetDigestText();
    digest.SetText(m_cookieKey + kKeySalt);
    m_cookieKey = digest.GetDigestText();
    Load();
}

void AccountRecord::ScrambleBuffer() {
    const size_t keyLength = m_cookieKey.size();
    if (keyLength == 0)
        return;
    // Every byte of the field, its zero padding too, and each field starts
    // over at the key's first character.
    for (size_t i = 0; i < kFieldSize; ++i)
        m_cookieBuffer[i] = static_cast<char>(m_cookieBuffer[i] ^ m_cookieKey[i % keyLength]);
}

void AccountRecord::FillBuffer(const std::string& value) {
    // Like a C string copy: the value ends at its first zero byte, if any.
    std::memset(m_cookieBuffer, 0, sizeof m_cookieBuffer);
    std::memcpy(m_cookieBuffer, value.c_str(), std::min(std::strlen(value.c_str()), kFieldSize));
}

// A scrambled value's zero padding would come out of ScrambleBuffer as the
// key itself, in plain text in the file. Reading stops at the value's
// terminating zero, so whatever follows it is free: random bytes there give
// nothing away. Without random bytes the file gets zero bytes there, which
// read back as key characters after the end and hide the key just as well.
void AccountRecord::PadAfterValue(const std::string& value) {
    const std::size_t end = std::min(std::strlen(value.c_str()), kFieldSize);
    if (end + 1 >= kFieldSize)
        return;
    unsigned char* const padding = reinterpret_cast<unsigned char*>(m_cookieBuffer) + end + 1;
    const std::size_t count = kFieldSize - end - 1;
    if (!m_random(padding, count))
        std::memset(padding, 0, count);
}

void AccountRecord::Load() {
    std::string bytes;
    const ReadOutcome result = m_cookieFile->ReadStart(bytes, kFileSize);
    if (result == ReadOutcome::kMissing)
        return;
    // Bytes a short file does not hold count as zero bytes. After a failed
    // read, though, the fields it did not deliver whole are unknown rather
    // than zero: they keep the values they had, as when there is no file.
    const size_t fields = result == ReadOutcome::kFailed ? bytes.size() / kFieldSize : 3;
    std::string* const values[3] = {&m_accessMid, &m_accessCode, &m_lang};
    for (size_t field = 0; field < fields; ++field) {
        // The raw bytes: a scrambled field may hold zero bytes anywhere.
        std::memset(m_cookieBuffer, 0, sizeof m_cookieBuffer);
        const size_t start = field * kFieldSize;
        if (bytes.size() > start)
            bytes.copy(m_cookieBuffer, kFieldSize, start);
        if (field < 2)
            ScrambleBuffer();
        *values[field] = m_cookieBuffer; // up to the first zero byte
    }
}

void AccountRecord::Save() {
    std::string bytes;
    bytes.reserve(kFileSize);
    for (const std::string* value : {&m_accessMid, &m_accessCode, &m_lang}) {
        FillBuffer(*value);
        if (value != &m_lang) {
            ScrambleBuffer();
            PadAfterValue(*value);
        }
        bytes.append(m_cookieBuffer, kFieldSize);
    }
    m_cookieFile->Replace(bytes);
}
