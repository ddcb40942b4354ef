#include "transfer/ReceiveFolderChooser.h"

int CReceiveFolderChooser::CheckReceive(const CString&)
{
    return 0;
}

CMailFolderStore* CReceiveFolderChooser::ChooseFolder(const CString&)
{
    return nullptr;
}
