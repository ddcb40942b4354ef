// MD5 (RFC 1321) and HMAC-MD5 (RFC 2104), with lower-case hexadecimal output
// for APOP and CRAM-MD5.
#pragma once

#include <cstddef>
#include <cstdint>

struct MD5Context
{
    uint32_t state[4];
    uint64_t bitCount;
    unsigned char block[64];
};

void MD5Init(MD5Context* ctx);
void MD5Update(MD5Context* ctx, const void* data, size_t len);
void MD5Final(unsigned char digest[16], MD5Context* ctx);
void HmacMD5(const void* data, size_t dataLen, const void* key, size_t keyLen, unsigned char digest[16]);

// out receives 32 lower-case hexadecimal digits and a NUL (33 bytes).
void GetMD5HexString(const char* pszText, char* pszOut);
void GetHmacMD5HexString(const char* pszData, const char* pszKey, char* pszOut);
