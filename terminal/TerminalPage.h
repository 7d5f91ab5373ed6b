// The Terminal tab: CW, RTTY and PSK text through the radio's keyer.
#pragma once

#include "PropertyPage.h"

class CTerminalPage : public CPropertyPage {
public:
    CTerminalPage();
};
