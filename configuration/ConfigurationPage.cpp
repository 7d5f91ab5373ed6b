#include "ConfigurationPage.h"

#include "resource.h"

CConfigurationPage::CConfigurationPage() : CPropertyPage(IDD_CONFIGURATION) {}
