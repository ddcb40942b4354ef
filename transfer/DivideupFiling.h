// Where received and sent mail is filed, by the application's rule sets and
// settings, and which sounds announce a received mail. The receiving and
// sending sessions call these; each looks up its folders in the application.
//
// A receiving session:
//   1. at its start: BeginReceiveFiltering(app) — true when each server
//      mail's header must be checked before download;
//   2. per server mail, when 1. said so: CheckServerMail(app, header, size)
//      (or CheckServerMailHeader(app, header text, size))
//      — CDivideupDataSet::kDownload, kSkipLeave or kSkipDelete;
//   3. per downloaded mail: ChooseReceiveFolder(app, header, size, choice)
//      (or ChooseReceiveFolderForFile(app, mail file, choice))
//      — the folder to file into, the label and read mark to give the mail
//      (pass &choice.filter to CMailFolderStore::AddNewMailData when
//      choice.filter.bMarked), and, when choice.bRuleMet, the server
//      handling the last matching rule asks for;
//      CollectNotifySounds(app, header, sounds) — the sounds to play.
// A sending session, per sent mail: ChooseSentFolder(app, mail file).
#pragma once

#include "classlib/ClassLib.h"
#include "store/MailFolderStore.h"

#include <string>

class CQuendalApp;
class CMailMessage;

struct ReceiveFilingChoice
{
    CMailFolderStore* pFolder = nullptr;  // the target; the inbox unless a rule sends it elsewhere
    StoreFilterResult filter;             // bMarked when a rule's label and read mark apply
    BOOL bRuleMet = FALSE;                // some rule matched
    BOOL bLeaveOnServer = FALSE;          // of the last matching rule, when bRuleMet
    BOOL bDeleteOnServer = FALSE;
};

// Prepares the receive set for a session; true when server mails must be
// checked before download ("DivideUpAtReceive" on and a rule forbids
// receiving).
BOOL BeginReceiveFiltering(CQuendalApp& app);
int CheckServerMail(CQuendalApp& app, const CMailMessage& header, int nSize);
// The folder a received mail is filed into. Without filtering at receive,
// or when no rule gives a folder, the inbox; a rule whose folder no longer
// exists files into the inbox too. False only when there is no inbox.
BOOL ChooseReceiveFolder(CQuendalApp& app, const CMailMessage& header, int nSize, ReceiveFilingChoice& choice);
// The same for a session that holds texts: the header block of a server
// mail (its size when known, else -1), a received mail file (parsed, its
// size taken from the file; a file that cannot be parsed goes to the inbox).
int CheckServerMailHeader(CQuendalApp& app, const char* pszHeaderText, int nSize = -1);
BOOL ChooseReceiveFolderForFile(CQuendalApp& app, const char* pszMailPath, ReceiveFilingChoice& choice);
// The same for a received mail held in memory, as its file would hold it.
BOOL ChooseReceiveFolderForText(CQuendalApp& app, const std::string& mail, ReceiveFilingChoice& choice);
// The folder a sent mail is filed into: with "DivideUpAtSend" on, the folder
// of the first matching rule of the send set (the receive set with
// "DivideUpUseReceiveSet"), when it is open; else the sent-mail folder.
CMailFolderStore* ChooseSentFolder(CQuendalApp& app, const char* pszMailFile);
// Appends the sound file of every notification rule the mail matches, in
// table order; the number appended.
int CollectNotifySounds(CQuendalApp& app, const CMailMessage& header, CStringArray& sounds);
