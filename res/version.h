// The program's name, maker and version, in one place for the version
// record, the window's caption and the installer.
#pragma once

#define CORVANE_PRODUCT "Corvane"
#define CORVANE_PUBLISHER "Brannock"
#define CORVANE_VERSION_NUMBERS 1, 4, 0, 1
#define CORVANE_VERSION_TEXT "1.04.0001"
// The version as the caption and the list of installed programs show it.
#define CORVANE_VERSION_SHORT "1.41"
