#include "TerminalPage.h"

#include "resource.h"

CTerminalPage::CTerminalPage() : CPropertyPage(IDD_TERMINAL) {}
