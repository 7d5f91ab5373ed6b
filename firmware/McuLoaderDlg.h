// The dialog of the main processor's load.
#pragma once

#include "LoaderDlg.h"
#include "McuLoaderStateMachine.h"

class CMcuLoaderDlg : public CLoaderDlg<CMcuLoaderStateMachine> {
public:
    // The companion image serves radios with boot block B; it may be empty.
    CMcuLoaderDlg(const std::wstring& mainPath, const std::wstring& companionPath = std::wstring())
        : CLoaderDlg(std::make_unique<CMcuLoaderStateMachine>(L"MCU", mainPath, companionPath))
    {
    }
};
