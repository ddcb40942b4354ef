#include "core/Md5.h"

#include <cstring>

namespace {

const uint32_t kSine[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};
const int kShift[64] = {7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,
                        5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,
                        4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
                        6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21};

uint32_t Rotl(uint32_t x, int n)
{
    return (x << n) | (x >> (32 - n));
}

void Transform(uint32_t state[4], const unsigned char block[64])
{
    uint32_t m[16];
    for (int i = 0; i < 16; ++i)
        m[i] = static_cast<uint32_t>(block[i * 4]) | (static_cast<uint32_t>(block[i * 4 + 1]) << 8) |
               (static_cast<uint32_t>(block[i * 4 + 2]) << 16) | (static_cast<uint32_t>(block[i * 4 + 3]) << 24);
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    for (int i = 0; i < 64; ++i) {
        uint32_t f;
        int g;
        if (i < 16) {
            f = (b & c) | (~b & d);
            g = i;
        } else if (i < 32) {
            f = (d & b) | (~d & c);
            g = (5 * i + 1) % 16;
        } else if (i < 48) {
            f = b ^ c ^ d;
            g = (3 * i + 5) % 16;
        } else {
            f = c ^ (b | ~d);
            g = (7 * i) % 16;
        }
        uint32_t t = d;
        d = c;
        c = b;
        b = b + Rotl(a + f + kSine[i] + m[g], kShift[i]);
        a = t;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
}

void ToHex(const unsigned char digest[16], char* out)
{
    static const char hex[] = "0123456789abcdef";
    for (int i = 0; i < 16; ++i) {
        out[i * 2] = hex[digest[i] >> 4];
        out[i * 2 + 1] = hex[digest[i] & 15];
    }
    out[32] = '\0';
}

} // namespace

void MD5Init(MD5Context* ctx)
{
    ctx->state[0] = 0x67452301;
    ctx->state[1] = 0xefcdab89;
    ctx->state[2] = 0x98badcfe;
    ctx->state[3] = 0x10325476;
    ctx->bitCount = 0;
}

void MD5Update(MD5Context* ctx, const void* data, size_t len)
{
    const unsigned char* p = static_cast<const unsigned char*>(data);
    size_t used = static_cast<size_t>((ctx->bitCount >> 3) & 63);
    ctx->bitCount += static_cast<uint64_t>(len) << 3;
    if (used) {
        size_t take = 64 - used;
        if (take > len)
            take = len;
        std::memcpy(ctx->block + used, p, take);
        used += take;
        p += take;
        len -= take;
        if (used < 64)
            return;
        Transform(ctx->state, ctx->block);
    }
    while (len >= 64) {
        Transform(ctx->state, p);
        p += 64;
        len -= 64;
    }
    std::memcpy(ctx->block, p, len);
}

void MD5Final(unsigned char digest[16], MD5Context* ctx)
{
    unsigned char length[8];
    for (int i = 0; i < 8; ++i)
        length[i] = static_cast<unsigned char>(ctx->bitCount >> (8 * i));
    static const unsigned char pad[64] = {0x80};
    size_t used = static_cast<size_t>((ctx->bitCount >> 3) & 63);
    MD5Update(ctx, pad, used < 56 ? 56 - used : 120 - used);
    MD5Update(ctx, length, 8);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            digest[i * 4 + j] = static_cast<unsigned char>(ctx->state[i] >> (8 * j));
    std::memset(ctx, 0, sizeof(*ctx));
}

void HmacMD5(const void* data, size_t dataLen, const void* key, size_t keyLen, unsigned char digest[16])
{
    unsigned char keyBlock[64] = {0};
    if (keyLen > 64) {
        MD5Context c;
        MD5Init(&c);
        MD5Update(&c, key, keyLen);
        MD5Final(keyBlock, &c);
    } else if (keyLen) {
        std::memcpy(keyBlock, key, keyLen);
    }
    unsigned char ipad[64], opad[64];
    for (int i = 0; i < 64; ++i) {
        ipad[i] = static_cast<unsigned char>(keyBlock[i] ^ 0x36);
        opad[i] = static_cast<unsigned char>(keyBlock[i] ^ 0x5C);
    }
    unsigned char inner[16];
    MD5Context c;
    MD5Init(&c);
    MD5Update(&c, ipad, 64);
    MD5Update(&c, data, dataLen);
    MD5Final(inner, &c);
    MD5Init(&c);
    MD5Update(&c, opad, 64);
    MD5Update(&c, inner, 16);
    MD5Final(digest, &c);
}

void GetMD5HexString(const char* pszText, char* pszOut)
{
    unsigned char digest[16];
    MD5Context c;
    MD5Init(&c);
    MD5Update(&c, pszText, std::strlen(pszText));
    MD5Final(digest, &c);
    ToHex(digest, pszOut);
}

void GetHmacMD5HexString(const char* pszData, const char* pszKey, char* pszOut)
{
    unsigned char digest[16];
    HmacMD5(pszData, std::strlen(pszData), pszKey, std::strlen(pszKey), digest);
    ToHex(digest, pszOut);
}
