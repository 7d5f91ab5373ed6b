#include "LoaderDlg.h"

#include "FileVersionInfo.h"

std::wstring ProgramVersionLine()
{
    static std::wstring line;
    if (line.empty()) {
        CFileVersionInfo version;
        if (version.LoadFromModule(nullptr))
            line = FormatText(IDS_TITLE_VERSION, version.GetString(CFileVersionInfo::FileDescription).c_str(),
                              version.GetFileVersionPart(3), version.GetFileVersionPart(2),
                              version.GetFileVersionPart(1), version.GetFileVersionPart(0));
    }
    return line;
}
