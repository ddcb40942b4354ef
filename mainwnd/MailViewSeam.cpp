#include "mainwnd/MailViewSeam.h"

MailViewSeam& GetMailViewSeam()
{
    static MailViewSeam seam;
    return seam;
}
