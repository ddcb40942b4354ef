// Message and command numbers the mail viewer posts or answers.
#pragma once

enum ViewerThreadMessage {
    WM_QD_MAIL_READ_CHANGED = 1393,    // wParam folder id, lParam mail index
    WM_QD_SPACE_END_READ = 1394,       // space-scrolled past the end of a read mail
    WM_QD_SEND_READ_NOTIFY = 1439,     // lParam the token of a MailObjectBlock::MailRef
    WM_QD_REGISTER_MAIL_RULE = 1417,   // wParam mail index, lParam folder id
};

enum ViewerWindowMessage {
    WM_QD_TOGGLE_VIEW_MAXIMIZED = 1365,  // to the main window
    WM_QD_ATTACH_FOLDER_CHANGED = 2024,  // wParam folder id, lParam mail index
};

enum ViewerCommand {
    ID_VIEW_ESCAPE = 33127,
    ID_NEXT_UNREAD_MAIL = 32931,
    ID_OPEN_URL = 32895,
    ID_WRITE_MAIL_TO_ADDRESS = 32896,
    ID_SPACE_SCROLL_DOWN = 32916,
    ID_SPACE_SCROLL_UP = 32917,
    ID_AUTO_SCROLL_DOWN = 33071,
    ID_AUTO_SCROLL_UP = 33072,
    ID_REGISTER_MAIL_RULE = 33076,
    ID_SELECT_ALL_TEXT = 33077,
    ID_EDIT_COPY_TEXT = 57634,
};
