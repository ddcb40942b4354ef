#include "store/WabAddress.h"

void ClearWabAddressList(CPtrArray& list)
{
    for (int i = 0; i < list.GetSize(); ++i)
        delete static_cast<CWabAddress*>(list[i]);
    list.RemoveAll();
}
