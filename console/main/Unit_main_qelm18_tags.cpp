// 433 MHz, Wiegand and ALPHA tabs.
#include "Unit_main_qelm18.h"

void TFormPLUV::buildTab433(QWidget *) {}
void TFormPLUV::buildTabWG(QWidget *) {}
void TFormPLUV::buildTabALPHA(QWidget *) {}
void TFormPLUV::connectTagsHandlers() {}
