// The application object of Pulsewick.
#pragma once

#include "framework/WinApp.h"

class CMetronomeApp : public CWinApp {
public:
    ~CMetronomeApp() override;
    BOOL InitInstance() override;
};
