// CSmtpComposeSource: the clock and random numbers behind the generated
// parts of an outgoing message (Date, boundaries, Message-ID). Tests install
// a fixed source so that built files can be compared byte for byte.
#pragma once

#include "classlib/ClassLib.h"

#include <cstdint>

class CSmtpComposeSource
{
public:
    virtual ~CSmtpComposeSource() = default;
    // Seconds since 1970.
    virtual int64_t Now();
    // A pseudo-random number 0-32767.
    virtual unsigned Random();
    // A text that no other Message-ID made on any machine shares.
    virtual CString UniqueToken();
};

