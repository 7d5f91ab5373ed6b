// The Configuration tab: the launcher of the configuration tools.
#pragma once

#include "PropertyPage.h"

class CConfigurationPage : public CPropertyPage {
public:
    CConfigurationPage();
};
