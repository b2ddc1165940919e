#include "identity/TextDigest.h"

#include "digest/Md5.h"
#include "text/Numbers.h"

std::string TextDigest::GetDigestText() const {
    if (m_algorithm != kMd5)
        return std::string();
    Md5Context context;
    Md5Init(context);
    // Texts here are drive serials and keys, far below 4 GiB.
    Md5Update(context, reinterpret_cast<const unsigned char*>(m_text.data()),
              static_cast<uint32_t>(m_text.size()));
    Md5Final(context);

    return LowerHex(context.digest, sizeof context.digest);
}
