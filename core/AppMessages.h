// Private messages (WM_USER + n) that threads post to each other and that
// the application thread and the main window serve.
#pragma once

#include <windows.h>

enum : UINT
{
    WM_QD_PREPARE_MAILBOX = 1336,
    WM_QD_FOLDER_MAIL_FILED = 1346,
    WM_QD_FOLDER_COUNTS = 1351,
    // Redraw a folder's tree item and counts; lParam the folder id (0 the
    // current folder), whoever posts it.
    WM_QD_FOLDER_REFRESH = 1352,
    WM_QD_SEND_FINISHED = WM_QD_FOLDER_REFRESH,
    WM_QD_RECEIVE_PASS_END = 1355,
    // From an editor: delete the stored mail it replaced (lParam: the token
    // of a MailObjectBlock::MailRef in the posted-object table).
    WM_QD_DELETE_STORED_MAIL = 1389,
    // Hand-over texts from the communication thread (lParam: the text's
    // token in the posted-object table, given back with 1409).
    WM_QD_COMPOSE_TEXT = 1399,
    WM_QD_ADDRESS_TEXT = 1400,
    WM_QD_MAIL_TEXT = 1401,
    // To the main window: send the mails of a folder (lParam: the token of
    // a SendFolderMailRequest in the posted-object table).
    WM_QD_SEND_FOLDER_MAIL = 1402,
    WM_QD_QUIT_THREAD = 1404,
    WM_QD_REMOVE_EDIT_THREAD = 1405,
    WM_QD_REMOVE_VIEW_THREAD = 1406,
    WM_QD_REMOVE_SEARCH_THREAD = 1407,
    WM_QD_RELEASE_TEXT = 1409,
    WM_QD_KEYWORDS_CHANGED = 1418,
    WM_QD_RECEIVE_TIMEOUT_BOX = 1421,
    WM_QD_ADDRESS_CHANGED = 1434,
    WM_QD_RECEIVE_FINISHED = 1440,
    WM_QD_SHOW_TASKLIST = 1476,
    WM_QD_APPLY_VIEW_SETTINGS = 1478,
    WM_QD_HANDOVER_REQUEST = 1494,
    // A Simple MAPI request handed over (lParam: the token of the request
    // file's path, or of a request text, as for 1399).
    WM_QD_MAPI_REQUEST = 1495,
};

// What 1402 asks for. It travels as a token: any program can post to the
// main window, and a bare folder id would let it send the mails of any folder.
struct SendFolderMailRequest
{
    int nFolderId;
    bool bKeepNoCopy;
};
