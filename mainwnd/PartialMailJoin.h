// CPartialMailJoin: puts a mail that arrived in several message/partial
// pieces back together and files it into the pieces' folder. The join is
// all or nothing: a missing or unreadable piece stops it before anything is
// filed or moved, and the piece is named.
#pragma once

#include "classlib/ClassLib.h"

#include <string>
#include <vector>

class CMailFolderStore;
class CMailListData;
class CQuendalApp;

class CPartialMailJoin
{
public:
    enum Status { joined, missingPiece, badPiece, cannotRead, cannotFile };

    struct Outcome
    {
        Status status = cannotRead;
        int nPiece = 0;      // the missing or bad piece
        int nNewIndex = -1;  // the joined mail in the folder
    };

    // The record index of each piece 1..total of the mail whose join key is
    // the given one (one per Message-ID: a piece received twice counts once).
    // Returns 0 when all are there, else the first missing piece number.
    static int CollectPieces(CMailListData* pList, const CString& key, std::vector<int>& slots);

    // Joins the plain texts of the pieces in piece order: the header of the
    // first piece, without the fields the enclosed header gives or that only
    // describe the piece, then the bodies of all pieces. On a piece without
    // a blank line, false with its number (1-based) in nBadPiece.
    static bool JoinTexts(const std::vector<std::string>& pieces, std::string& joined, int& nBadPiece);

    // Joins the pieces of the mail at nIndex, files the whole mail into the
    // folder and moves the pieces to the trash.
    static Outcome Join(CQuendalApp& app, CMailFolderStore* pStore, int nIndex);

    // The message for an outcome that is not a success.
    static CString Message(const Outcome& outcome);
};
