// SPDX-License-Identifier: MIT
#pragma once
// Opens a file or an address with the application the desktop associates with it. Addresses
// ("http://" or "www." anywhere in the text) go to the browser, "http://" put in front when the
// text lacks it; any other file must exist.
#include <QString>

class CShellExec {
public:
    enum Error {
        Success = 0,
        OutOfResources = 1,
        FileNotFound = 2,
        PathNotFound = 3,
        BadExecutable = 4,
        AccessDenied = 5,
        IncompleteAssociation = 6,
        LibraryNotFound = 7,
        NoAssociation = 8,
        Undocumented = 9,
    };

    // Opens `file`; a relative file not found as it stands is looked for in `directory`.
    // `parameters` cannot be handed to the opener, which takes a single file or address.
    // Returns an Error.
    virtual int open(const QString& directory, const QString& file, const QString& parameters);
    virtual ~CShellExec() = default;

    static QString errorText(int error);

private:
    int openInBrowser(const QString& address);
    static int startOpener(const QString& target);
};
