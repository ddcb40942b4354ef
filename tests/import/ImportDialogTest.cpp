// The import, export and file-name dialogs keep their choices in the
// settings and enable their fields by the format; the progress window's
// Cancel sets the byte the importer reads.
#include "ImportTestUtil.h"

#include "resources/import/ImportResource.h"
#include "store/DlgExportFileName.h"
#include "store/DlgMailExport.h"
#include "store/DlgMailImport.h"
#include "store/DlgMailImportProgress.h"
#include "store/MboxImporter.h"

#include <gtest/gtest.h>

#include <commctrl.h>

using ImportTest::TestApp;
using TestSupport::TempDir;

namespace {

void Click(CDialog& dlg, int id)
{
    HWND button = dlg.GetDlgItemHwnd(id);
    ::SendMessageA(button, BM_CLICK, 0, 0);
}

bool Enabled(CDialog& dlg, int id)
{
    return ::IsWindowEnabled(dlg.GetDlgItemHwnd(id)) != FALSE;
}

} // namespace

TEST(ImportDialogs, ImportFormatEnablesItsFieldsAndIsKept)
{
    TempDir dir;
    TestApp app(dir.Path());
    app.WriteProfileInt("Setting", "ImportMailType", 3);
    app.WriteProfileString("Setting", "ImportMailSeparator", "----");
    {
        CDlgMailImport dlg;
        ASSERT_TRUE(dlg.Create(IDD_MAIL_IMPORT));
        EXPECT_TRUE(dlg.IsDlgButtonChecked(IDC_TYPE_SEPARATOR));
        EXPECT_EQ(dlg.GetDlgItemText(IDC_SEPARATOR), "----");
        EXPECT_TRUE(dlg.IsDlgButtonChecked(IDC_IMPORT_RECEIVE_DATE));
        struct Case
        {
            int button;
            bool separator, folder;
        };
        const Case cases[] = {
            {IDC_TYPE_SEPARATOR, true, false},
            {IDC_TYPE_EML, false, true},
            {IDC_TYPE_UNIX_FROM, false, false},
            {IDC_TYPE_SEPARATOR, true, false},
            {IDC_TYPE_OUTLOOK_EXPRESS, false, false},
        };
        for (const Case& c : cases) {
            Click(dlg, c.button);
            EXPECT_EQ(Enabled(dlg, IDC_SEPARATOR), c.separator) << c.button;
            EXPECT_EQ(Enabled(dlg, IDC_IMPORT_EML_FOLDER), c.folder) << c.button;
        }
        dlg.CheckDlgButton(IDC_IMPORT_RECEIVE_DATE, BST_UNCHECKED);
        dlg.OnOK();
        EXPECT_EQ(dlg.m_nType, CDlgMailImport::typeOutlookExpress);
    }
    EXPECT_EQ(app.GetProfileInt("Setting", "ImportMailType", 0), 2);
    EXPECT_EQ(app.GetProfileInt("Setting", "ImportMailReceiveDate", 1), 0);
    EXPECT_EQ(app.GetProfileString("Setting", "ImportMailSeparator", ""), "----");
}

TEST(ImportDialogs, ExportFormatAndNamingAreKept)
{
    TempDir dir;
    TestApp app(dir.Path());
    {
        CDlgMailExport dlg;
        ASSERT_TRUE(dlg.Create(IDD_MAIL_EXPORT));
        EXPECT_TRUE(dlg.IsDlgButtonChecked(IDC_TYPE_EML));
        EXPECT_FALSE(Enabled(dlg, IDC_SEPARATOR));
        Click(dlg, IDC_TYPE_SEPARATOR);
        EXPECT_TRUE(Enabled(dlg, IDC_SEPARATOR));
        // Text and HTML take the separator away again.
        Click(dlg, IDC_TYPE_HTML);
        EXPECT_FALSE(Enabled(dlg, IDC_SEPARATOR));
        Click(dlg, IDC_TYPE_SEPARATOR);
        dlg.SetDlgItemText(IDC_SEPARATOR, "@@");
        dlg.OnOK();
    }
    EXPECT_EQ(app.GetProfileInt("Setting", "ExportMailType", 0), 4);
    EXPECT_EQ(app.GetProfileString("Setting", "ExportMailSeparator", ""), "@@");
    {
        CDlgExportFileName dlg;
        ASSERT_TRUE(dlg.Create(IDD_EXPORT_FILE_NAME));
        EXPECT_TRUE(dlg.IsDlgButtonChecked(IDC_EXPORT_ASK_NAMES));
        EXPECT_FALSE(Enabled(dlg, IDC_SEPARATOR));
        Click(dlg, IDC_EXPORT_AUTO_NAMES);
        EXPECT_TRUE(Enabled(dlg, IDC_SEPARATOR));
        dlg.SetDlgItemText(IDC_SEPARATOR, dir.Path());
        dlg.CheckDlgButton(IDC_EXPORT_FILE_TIME, BST_CHECKED);
        dlg.OnOK();
    }
    EXPECT_EQ(app.GetProfileInt("Paths", "ExportAutoType", 0), 1);
    EXPECT_EQ(app.GetProfileString("Paths", "ExportFolderPath", ""), dir.Path());
    EXPECT_EQ(app.GetProfileInt("Setting", "ExportFileTime", 0), 1);
}

TEST(ImportDialogs, ProgressWindowShowsTheImportAndCancels)
{
    TempDir dir;
    TestApp app(dir.Path());
    CMailFolderStore* store = app.AddStore(dir.File("F"), 1, "F");
    store->LoadIndex();
    CDlgMailImportProgress progress;
    ASSERT_TRUE(progress.Create(IDD_MAIL_IMPORT_PROGRESS));
    EXPECT_EQ(progress.GetDlgItemText(IDC_IMPORT_STATUS), "フォルダ名");
    EXPECT_EQ(progress.GetDlgItemText(IDC_IMPORT_COUNT), "0 / 0");

    CMboxImporter importer;
    importer.m_pCancel = &progress.m_bCancel;
    importer.m_pStatusText = progress.GetStatusText();
    importer.m_pProgress = progress.GetProgressBar();
    importer.m_pCountText = progress.GetCountText();
    importer.m_nTotal = 2;
    importer.m_strName = "受信箱";
    TestSupport::WriteFileBytes(dir.File("in.mbx"),
                                "From a\r\nSubject: 1\r\n\r\none\r\nFrom b\r\nSubject: 2\r\n\r\ntwo\r\n");
    ASSERT_TRUE(CMboxImporter::ImportFile(nullptr, &importer, dir.File("in.mbx"), TRUE, store, 0));
    EXPECT_EQ(progress.GetDlgItemText(IDC_IMPORT_STATUS), "[受信箱] 読込中です。");
    EXPECT_EQ(progress.GetDlgItemText(IDC_IMPORT_COUNT), "2 / 2");
    EXPECT_EQ(progress.GetProgressBar()->SendMessage(PBM_GETPOS), 2);

    // Cancel (also Escape) sets the byte and stays open.
    progress.SendMessage(WM_COMMAND, IDCANCEL);
    EXPECT_EQ(progress.m_bCancel, 1);
    EXPECT_FALSE(Enabled(progress, IDCANCEL));
    EXPECT_TRUE(::IsWindow(progress.m_hWnd));
    ASSERT_TRUE(CMboxImporter::ImportFile(nullptr, &importer, dir.File("in.mbx"), TRUE, store, 0));
    EXPECT_EQ(store->GetMailCount(), 2);
    progress.DestroyWindow();
}
