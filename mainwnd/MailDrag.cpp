#include "mainwnd/MailDrag.h"

#include "core/FileUtil.h"
#include "mainwnd/MailObjectBlock.h"
#include "store/MailDataSource.h"
#include "store/MailFolderStore.h"
#include "store/MailIndexRecord.h"

#include <string>

namespace MailDrag {

DWORD Run(CMailFolderStore* pStore, const std::vector<int>& mails, HGLOBAL hBlock)
{
    CMailDataSource* source = new CMailDataSource;
    source->CacheGlobalData(MailObjectBlock::GetMailFormat(), hBlock);
    for (int index : mails) {
        CMailIndexRecord* r = pStore ? pStore->GetRecord(index) : nullptr;
        std::string text;
        if (!r || !CMailDataSource::RebuildMail(pStore, index, text))
            continue;
        CString name = MakeValidFileName(r->GetText(CMailIndexRecord::colSubject)) + ".eml";
        source->AddMail(pStore, index, name, static_cast<int>(text.size()));
    }
    // The files are written only when a target asks for them.
    if (source->GetMailCount() > 0) {
        source->DelayRenderData(CMailDataSource::GetFileDescriptorFormat());
        source->DelayRenderData(CMailDataSource::GetFileContentsFormat());
    }
    DWORD effect = source->DoDragDrop(DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_SCROLL);
    source->Release();
    return effect;
}

} // namespace MailDrag
