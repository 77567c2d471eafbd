// The program's version, in one place for the version record and the code.
#pragma once

#define CORVANE_VERSION_NUMBERS 1, 4, 0, 1
#define CORVANE_VERSION_TEXT "1.04.0001"
