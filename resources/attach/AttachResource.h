// Resource identifiers of the attachment list, the archives and the send
// passwords (editor/Attach*, Archive*, DlgCompressSetting, the password
// dialogs and the template edit dialog).
#pragma once

// Context menu of the attachment list.
#define IDR_ATTACH_LIST_MENU 180
#define ID_ATTACH_EXPLORE 32826
#define ID_ATTACH_COPY 32827
#define ID_ATTACH_DELETE 32828
#define ID_ATTACH_OPEN_APP1 32954
#define ID_ATTACH_OPEN_APP2 32955
#define ID_ATTACH_OPEN_APP3 33134
#define ID_ATTACH_SAVE_AS 57604
#define ID_ATTACH_SELECT_ALL 57642
#define ID_ATTACH_EDIT_COPY 57634

// Strings.
#define IDS_PASSWORD_CANCEL_CONFIRM 102
#define IDS_NEED_ARCHIVE_PASSWORD 103
#define IDS_SAME_NAME_DATA 447
#define IDS_CONFIRM_DELETE_NAME 1502
#define IDS_RISKY_ATTACHMENT 59445
#define IDS_PASSWORDS_DIFFER 59457
#define IDS_ARCHIVER_MISSING 2380
#define IDS_ARCHIVE_FAILED_KEEP 2381
#define IDS_COMPRESS_NO_LIBRARY 2382
#define IDS_SAME_ARCHIVE_NAME 2383

// Dialogs.
#define IDD_SEND_PASSWORD_LIST 2300
#define IDD_CVM_PASSWORD_INPUT 2301
#define IDD_INPUT_ZIP_PASSWORD 2302
#define IDD_INPUT_ZIP_PASSWORD_SHORT 2303
#define IDD_COMPRESS_SETTING 2304
#define IDD_TEMPLATE_EDIT 2305

// Send password list.
#define IDC_SPL_LIST 2310
#define IDC_SPL_ADD 2311
#define IDC_SPL_CHANGE 2312
#define IDC_SPL_DELETE 2313
#define IDC_SPL_UP 2314
#define IDC_SPL_DOWN 2315
#define IDC_SPL_MODE_ASK 2316
#define IDC_SPL_MODE_DEFAULT 2317
#define IDC_SPL_DEFAULT_LABEL 2318
#define IDC_SPL_DEFAULT 2319
#define IDC_SPL_PROTECT 2320
#define IDC_SPL_SAVE_IN_SENT 2321

// Name and password input.
#define IDC_CPI_NAME 2325
#define IDC_CPI_PASSWORD 2326
#define IDC_CPI_CONFIRM 2327

// Password question at sending.
#define IDC_ZP_PASSWORD 2330
#define IDC_ZP_TEXT 2331
#define IDC_ZP_NOTE 2332

// Compression settings.
#define IDC_CS_SELECT_ONLY 2335
#define IDC_CS_ONE_FILE 2336
#define IDC_CS_FILE_NAME_LABEL 2337
#define IDC_CS_FILE_NAME 2338
#define IDC_CS_KEEP 2339
#define IDC_CS_ZIP 2340
#define IDC_CS_LHA 2341

// Template edit dialog.
#define IDC_TE_NAME 2345
#define IDC_TE_ACCOUNT 2346
#define IDC_TE_BODY 2347
#define IDC_TE_SET_HEADERS 2348
#define IDC_TE_TO_BUTTON 2349
#define IDC_TE_CC_BUTTON 2350
#define IDC_TE_BCC_BUTTON 2351
#define IDC_TE_TO 2352
#define IDC_TE_CC 2353
#define IDC_TE_BCC 2354
#define IDC_TE_SUBJECT 2355
#define IDC_TE_SIGN 2356
#define IDC_TE_SIGN_EDIT 2357
#define IDC_TE_REPLY_TO 2358
#define IDC_TE_MACRO_HELP 2359
#define IDC_TE_ATTACH_LIST 2360
#define IDC_TE_ATTACH 2361
#define IDC_TE_ATTACH_FOLDER 2362
#define IDC_TE_BROWSE 2363
#define IDC_TE_ATTACH_FILE 2364

// The editor's compress command (no menu entry of its own yet).
#define ID_EDIT_COMPRESS_ATTACHMENTS 1123
