// The Command Tester tab: raw commands typed or sent from macro buttons.
#pragma once

#include "PropertyPage.h"

class CCommandTesterPage : public CPropertyPage {
public:
    CCommandTesterPage();
};
