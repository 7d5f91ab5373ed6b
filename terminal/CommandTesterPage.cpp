#include "CommandTesterPage.h"

#include "resource.h"

CCommandTesterPage::CCommandTesterPage() : CPropertyPage(IDD_COMMAND_TESTER) {}
