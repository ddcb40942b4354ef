// CArchiverCommand: the command lines of the archiver libraries' entries
// "Zip" and "Unlha". Words are separated by blanks; a word in double quotes
// may hold blanks, and a double quote inside it is written twice, so that a
// password or path can hold any character (backslashes are plain
// characters, as paths need them to be). Plain standard library only, so
// that the archiver built for the tests parses with the same rules.
#pragma once

#include <string>
#include <vector>

class CArchiverCommand
{
public:
    // The text in double quotes, inner double quotes doubled.
    static std::string Quote(const std::string& text);
    // Splits a command line into its words, quotes removed; false when a
    // quote is left open.
    static bool Split(const char* pszCommand, std::vector<std::string>& words);

    // A parsed "Zip" command: switches -j, -q and -P with its password (the
    // next word, or the rest of the same word), then the archive and the files.
    bool ParseZip(const char* pszCommand);
    // A parsed "Unlha" command: the command letter, the archive, the files.
    bool ParseLha(const char* pszCommand);

    bool m_bJunkPaths = false;
    bool m_bQuiet = false;
    bool m_bHasPassword = false;
    std::string m_password;
    std::string m_command;
    std::string m_archive;
    std::vector<std::string> m_files;
};
