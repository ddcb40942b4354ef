// A printer for the tests: the Wine prefixes have none of their own. It is a
// PostScript printer with the driver Wine brings, made once per prefix.
#pragma once

#include <string>

namespace TestSupport {

// The printer of that name on the port, made when the prefix lacks it; its
// name, or empty (with the test failed) when it could not be made.
std::string InstallTestPrinter(const char* pszName, const char* pszPort);
// Every job printed on the port goes to the file (a Windows path) instead.
bool SendPortToFile(const char* pszPort, const char* pszFile);

} // namespace TestSupport
