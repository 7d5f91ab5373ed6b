// The dialog of the front-panel-flash load.
#pragma once

#include "FpfLoaderStateMachine.h"
#include "LoaderDlg.h"

class CFpfLoaderDlg : public CLoaderDlg<CFpfLoaderStateMachine> {
public:
    explicit CFpfLoaderDlg(const std::wstring& path)
        : CLoaderDlg(std::make_unique<CFpfLoaderStateMachine>(L"FPF", path))
    {
    }
};
