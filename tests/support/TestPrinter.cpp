#include "support/TestPrinter.h"

#include "support/TestSupport.h"

#include <windows.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <vector>

namespace TestSupport {

namespace {

const char kDriverName[] = "Wine PostScript Driver";

// A plain A4 PostScript printer description for the driver.
const char kPpd[] =
    "*PPD-Adobe: \"4.3\"\n*FormatVersion: \"4.3\"\n*FileVersion: \"1.0\"\n*LanguageVersion: English\n"
    "*LanguageEncoding: ISOLatin1\n*PCFileName: \"CVMTEST.PPD\"\n*Manufacturer: \"CVM\"\n*Product: \"(CVM Test)\"\n"
    "*ModelName: \"CVM Test PostScript\"\n*ShortNickName: \"CVM Test PostScript\"\n"
    "*NickName: \"CVM Test PostScript\"\n*PSVersion: \"(3010.000) 0\"\n*LanguageLevel: \"3\"\n"
    "*ColorDevice: False\n*DefaultColorSpace: Gray\n*FileSystem: False\n*Throughput: \"1\"\n"
    "*TTRasterizer: Type42\n*DefaultResolution: 600dpi\n"
    "*OpenUI *PageSize: PickOne\n*DefaultPageSize: A4\n"
    "*PageSize A4/A4: \"<</PageSize[595 842]>>setpagedevice\"\n*CloseUI: *PageSize\n"
    "*OpenUI *PageRegion: PickOne\n*DefaultPageRegion: A4\n"
    "*PageRegion A4/A4: \"<</PageSize[595 842]>>setpagedevice\"\n*CloseUI: *PageRegion\n"
    "*DefaultImageableArea: A4\n*ImageableArea A4/A4: \"0 0 595 842\"\n"
    "*DefaultPaperDimension: A4\n*PaperDimension A4/A4: \"595 842\"\n"
    "*DefaultFont: Courier\n*Font Courier: Standard \"(002.004S)\" Standard ROM\n";

bool HasPrinter(const char* pszName)
{
    DWORD needed = 0, count = 0;
    EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
    if (!needed)
        return false;
    std::vector<BYTE> buffer(needed);
    if (!EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), needed, &needed, &count))
        return false;
    auto* info = reinterpret_cast<PRINTER_INFO_2A*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        if (lstrcmpA(info[i].pPrinterName, pszName) == 0)
            return true;
    }
    return false;
}

} // namespace

std::string InstallTestPrinter(const char* pszName, const char* pszPort)
{
    if (HasPrinter(pszName))
        return pszName;
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof(temp), temp);
    std::string ppd = std::string(temp) + "cvmtest.ppd";
    WriteFileBytes(ppd.c_str(), kPpd);
    DRIVER_INFO_3A driver = {};
    driver.cVersion = 3;
    driver.pName = const_cast<char*>(kDriverName);
    driver.pDriverPath = const_cast<char*>("wineps.drv");
    driver.pDataFile = &ppd[0];
    driver.pConfigFile = const_cast<char*>("wineps.drv");
    driver.pDefaultDataType = const_cast<char*>("RAW");
    if (!AddPrinterDriverExA(nullptr, 3, reinterpret_cast<BYTE*>(&driver),
                             APD_COPY_NEW_FILES | APD_COPY_FROM_DIRECTORY)) {
        ADD_FAILURE() << "AddPrinterDriverEx failed: " << GetLastError();
        return std::string();
    }
    PRINTER_INFO_2A add = {};
    add.pPrinterName = const_cast<char*>(pszName);
    add.pPortName = const_cast<char*>(pszPort);
    add.pDriverName = const_cast<char*>(kDriverName);
    add.pPrintProcessor = const_cast<char*>("WinPrint");
    add.pDatatype = const_cast<char*>("RAW");
    HANDLE printer = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&add));
    // Another test program of the prefix may have made it meanwhile.
    if (!printer && !HasPrinter(pszName)) {
        ADD_FAILURE() << "AddPrinter failed: " << GetLastError();
        return std::string();
    }
    if (printer)
        ClosePrinter(printer);
    return pszName;
}

bool SendPortToFile(const char* pszPort, const char* pszFile)
{
    // Wine's spooler takes the host path (UTF-8) for a port's output.
    typedef char*(CDECL * UnixFileNameFn)(LPCWSTR);
    auto unixName = reinterpret_cast<UnixFileNameFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!unixName)
        return false;
    WCHAR wide[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, pszFile, -1, wide, MAX_PATH);
    char* path = unixName(wide);
    if (!path)
        return false;
    HKEY key = nullptr;
    bool written = RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\Printing\\Spooler", 0, nullptr, 0, KEY_SET_VALUE,
                                   nullptr, &key, nullptr) == ERROR_SUCCESS;
    if (written) {
        written = RegSetValueExA(key, pszPort, 0, REG_SZ, reinterpret_cast<const BYTE*>(path),
                                 static_cast<DWORD>(lstrlenA(path) + 1)) == ERROR_SUCCESS;
        RegCloseKey(key);
    }
    HeapFree(GetProcessHeap(), 0, path);
    return written;
}

} // namespace TestSupport
