// CMailThreadLinker: linking mails into a reply thread and out of it by
// rewriting their reference ids in the folder's index, and the ids made for
// threads whose first mail answers nothing.
#pragma once

#include "classlib/ClassLib.h"

#include <cstdint>
#include <vector>

class CMailListData;

class CMailThreadLinker
{
public:
    // A thread id no mail of the list carries as Message-ID or reference id:
    // "<seconds.number.MAILTHREAD>". It holds no line break, so it reads back
    // from the index exactly as it was made.
    static CString MakeThreadId(CMailListData& list, uint32_t nSeconds);

    // The id that mails dropped on the thread's top item answer: the root's
    // reference id, or a new thread id that the root takes as its reference
    // id first (written to the index). Empty when the root is not a mail.
    static CString TopParentId(CMailListData& list, int nRootMail);

    // Gives each mail the parent id as its reference id, moves it in the
    // folder's reply tree and writes the index; false when writing failed.
    static BOOL Link(CMailListData& list, const std::vector<int>& mails, const char* pszParentId);

    // Clears the mail's reference id, takes it out of its place in the reply
    // tree and writes the index.
    static BOOL Unlink(CMailListData& list, int nMail);

private:
    static bool IsIdUsed(CMailListData& list, const CString& id);
};
