#include "mainwnd/PartialMailJoin.h"

#include "core/FileUtil.h"
#include "core/QuendalApp.h"
#include "mainwnd/MailExport.h"
#include "mainwnd/MailTransfer.h"
#include "store/MailDataSource.h"
#include "store/MailFolderStore.h"
#include "store/MailIndexRecord.h"
#include "store/MailListData.h"

#include <set>

namespace {

// The header block's lines, each with its folded continuation lines.
std::vector<std::string> HeaderFields(const std::string& header)
{
    std::vector<std::string> fields;
    size_t pos = 0;
    while (pos < header.size()) {
        size_t eol = header.find("\r\n", pos);
        size_t end = eol == std::string::npos ? header.size() : eol + 2;
        std::string line = header.substr(pos, end - pos);
        if (!fields.empty() && (line[0] == ' ' || line[0] == '\t'))
            fields.back() += line;
        else
            fields.push_back(line);
        pos = end;
    }
    return fields;
}

std::string FieldName(const std::string& field)
{
    std::string name = field.substr(0, field.find(':'));
    for (char& c : name)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return name;
}

bool DescribesPiece(const std::string& name)
{
    return name.compare(0, 8, "content-") == 0 || name == "message-id" || name == "subject" ||
           name == "mime-version" || name == "encrypted";
}

} // namespace

int CPartialMailJoin::CollectPieces(CMailListData* pList, const CString& key, std::vector<int>& slots)
{
    slots.clear();
    std::set<std::string> ids;
    int total = 0;
    for (int i = 0; pList && i < pList->GetAllRecordCount(); i++) {
        CMailIndexRecord* r = pList->GetMailRecord(i);
        if (!r || r->m_bDeleted || r->m_nPartNumber <= 0 || r->GetText(CMailIndexRecord::colReference) != key)
            continue;
        const CString& id = r->GetText(CMailIndexRecord::colMessageId);
        if (!id.IsEmpty() && !ids.insert(id.Str()).second)
            continue;
        size_t slot = static_cast<size_t>(r->m_nPartNumber - 1);
        if (slots.size() <= slot)
            slots.resize(slot + 1, -1);
        slots[slot] = i;
        int t = (r->m_nFlags >> 16) & 0xFFFF;
        if (t > total)
            total = t;
    }
    if (total <= 0)
        total = static_cast<int>(slots.size());
    if (slots.size() < static_cast<size_t>(total))
        slots.resize(static_cast<size_t>(total), -1);
    for (int n = 0; n < total; n++)
        if (slots[static_cast<size_t>(n)] < 0)
            return n + 1;
    if (total == 0)
        return 1;
    slots.resize(static_cast<size_t>(total));
    return 0;
}

bool CPartialMailJoin::JoinTexts(const std::vector<std::string>& pieces, std::string& joined, int& nBadPiece)
{
    joined.clear();
    nBadPiece = 0;
    std::string body;
    std::string outer;
    for (size_t i = 0; i < pieces.size(); i++) {
        size_t blank = pieces[i].find("\r\n\r\n");
        if (blank == std::string::npos) {
            nBadPiece = static_cast<int>(i + 1);
            return false;
        }
        if (i == 0)
            outer = pieces[i].substr(0, blank + 2);
        body += pieces[i].substr(blank + 4);
    }
    // The enclosed header starts the first body; outer fields it repeats
    // and those that only describe a piece give way to it.
    size_t innerEnd = body.find("\r\n\r\n");
    std::set<std::string> inner;
    for (const std::string& f : HeaderFields(body.substr(0, innerEnd == std::string::npos ? 0 : innerEnd + 2)))
        inner.insert(FieldName(f));
    for (const std::string& f : HeaderFields(outer)) {
        std::string name = FieldName(f);
        if (!DescribesPiece(name) && !inner.count(name))
            joined += f;
    }
    joined += body;
    return true;
}

CPartialMailJoin::Outcome CPartialMailJoin::Join(CQuendalApp& app, CMailFolderStore* pStore, int nIndex)
{
    Outcome outcome;
    CMailListData* list = pStore ? pStore->GetMailList() : nullptr;
    CMailIndexRecord* focused = list ? list->GetMailRecord(nIndex) : nullptr;
    if (!focused || focused->m_nPartNumber <= 0)
        return outcome;
    std::vector<int> slots;
    outcome.nPiece = CollectPieces(list, focused->GetText(CMailIndexRecord::colReference), slots);
    if (outcome.nPiece) {
        outcome.status = missingPiece;
        return outcome;
    }
    std::vector<std::string> texts(slots.size());
    for (size_t i = 0; i < slots.size(); i++) {
        if (!CMailDataSource::RebuildMail(pStore, slots[i], texts[i])) {
            outcome.status = cannotRead;
            outcome.nPiece = static_cast<int>(i + 1);
            return outcome;
        }
    }
    std::string whole;
    if (!JoinTexts(texts, whole, outcome.nPiece)) {
        outcome.status = badPiece;
        return outcome;
    }
    CMailIndexRecord* first = list->GetMailRecord(slots[0]);
    CString received = first ? first->GetText(CMailIndexRecord::colReceived) : CString();
    CString work = CombinePath(pStore->GetFolderPath(), FormatString("Join%lu.tmp", GetTickCount()));
    if (!MailExport::WriteFileWhole(work, whole + (whole.size() >= 2 && whole.compare(whole.size() - 2, 2, "\r\n") == 0 ? ".\r\n" : "\r\n.\r\n"))) {
        DeleteFileA(work);
        outcome.status = cannotFile;
        return outcome;
    }
    int filed = pStore->AddNewMailData(work, received, FALSE, FALSE, nullptr, &outcome.nNewIndex);
    DeleteFileA(work);
    if (filed != 1) {
        outcome.status = cannotFile;
        return outcome;
    }
    list = pStore->GetMailList();
    for (int piece : slots)
        if (CMailIndexRecord* r = list->GetMailRecord(piece))
            list->SetOpen(r);
    CMailTransfer::DeleteMails(app, pStore, slots, false);
    outcome.status = joined;
    return outcome;
}

CString CPartialMailJoin::Message(const Outcome& outcome)
{
    switch (outcome.status) {
    case missingPiece:
        return FormatString("分割されたメールが揃っていません。\r\n分割メールを結合できません。\r\n(%d番目が見つかりません)",
                            outcome.nPiece);
    case badPiece:
    case cannotRead:
        return FormatString("分割されたメールの%d番目が読めません。\r\n分割メールを結合できません。", outcome.nPiece);
    case cannotFile:
        return "Partial SaveFile Open Error1";
    default:
        return CString();
    }
}
