#include "transfer/ReceiveFolderChooser.h"

int CReceiveFolderChooser::CheckReceive(const CString&)
{
    return 0;
}

bool CReceiveFolderChooser::ChooseFolderForMail(const std::string&, ReceiveFilingChoice&)
{
    return false;
}

bool CReceiveFolderChooser::ChooseFolder(const CString&, ReceiveFilingChoice&)
{
    return false;
}
