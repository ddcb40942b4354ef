/* Makes a CA certificate (DER file) trusted in the Wine prefix it runs in by
   adding it to the system "Root" store. Used once when a test prefix is made. */
#include <windows.h>
#include <wincrypt.h>
#include <stdio.h>

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: TrustRootCa CA.der\n");
        return 2;
    }
    FILE* f = fopen(argv[1], "rb");
    if (!f) {
        fprintf(stderr, "TrustRootCa: cannot open %s\n", argv[1]);
        return 1;
    }
    static BYTE der[65536];
    size_t n = fread(der, 1, sizeof(der), f);
    fclose(f);
    if (n == 0 || n == sizeof(der)) {
        fprintf(stderr, "TrustRootCa: %s is empty or too large\n", argv[1]);
        return 1;
    }
    if (!CertAddEncodedCertificateToSystemStoreA("Root", der, (DWORD)n)) {
        fprintf(stderr, "TrustRootCa: error 0x%lx\n", GetLastError());
        return 1;
    }
    return 0;
}
