// The dialogs of the two signal processors' loads.
#pragma once

#include "DspLoaderStateMachine.h"
#include "LoaderDlg.h"

class CDspLoaderDlg : public CLoaderDlg<CDspLoaderStateMachine> {
public:
    CDspLoaderDlg(DspKind kind, const std::wstring& codePath, const std::wstring& tinyBootPath,
                  const std::wstring& dataTablePath)
        : CLoaderDlg(std::make_unique<CDspLoaderStateMachine>(kind == DSP_MAIN ? L"DSP1" : L"DSP2", kind, codePath,
                                                              tinyBootPath, dataTablePath))
    {
    }
};
