// ANT_TEST, LOG, SAW2011 and KAMAZ tabs.
#include "Unit_main_qelm18.h"

void TFormPLUV::connectMonitorHandlers() {}
