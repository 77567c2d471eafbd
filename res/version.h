// The program's name, maker and version, in one place for the version
// records, the window's caption, the checksum tool and the installer. The
// version's numbers are written once; every text of it is made from them.
#pragma once

#define CORVANE_PRODUCT "Corvane"
#define CORVANE_PUBLISHER "Brannock"
#define CORVANE_MAJOR 1
#define CORVANE_MINOR 4
#define CORVANE_REVISION 1

#define CORVANE_TEXT_OF_(n) #n
#define CORVANE_TEXT_OF(n) CORVANE_TEXT_OF_(n)

// The version record's four numbers.
#define CORVANE_VERSION_NUMBERS CORVANE_MAJOR, CORVANE_MINOR, 0, CORVANE_REVISION

// The version as the caption and the list of installed programs show it:
// the revision runs on after the minor number ("1.41").
#define CORVANE_VERSION_SHORT \
    CORVANE_TEXT_OF(CORVANE_MAJOR) "." CORVANE_TEXT_OF(CORVANE_MINOR) CORVANE_TEXT_OF(CORVANE_REVISION)

// The version record's text: the minor number in two digits, the revision
// in four ("1.04.0001").
#if CORVANE_MINOR < 10
#define CORVANE_MINOR_DIGITS "0" CORVANE_TEXT_OF(CORVANE_MINOR)
#else
#define CORVANE_MINOR_DIGITS CORVANE_TEXT_OF(CORVANE_MINOR)
#endif
#if CORVANE_REVISION < 10
#define CORVANE_REVISION_DIGITS "000" CORVANE_TEXT_OF(CORVANE_REVISION)
#elif CORVANE_REVISION < 100
#define CORVANE_REVISION_DIGITS "00" CORVANE_TEXT_OF(CORVANE_REVISION)
#elif CORVANE_REVISION < 1000
#define CORVANE_REVISION_DIGITS "0" CORVANE_TEXT_OF(CORVANE_REVISION)
#else
#define CORVANE_REVISION_DIGITS CORVANE_TEXT_OF(CORVANE_REVISION)
#endif
#define CORVANE_VERSION_TEXT CORVANE_TEXT_OF(CORVANE_MAJOR) "." CORVANE_MINOR_DIGITS "." CORVANE_REVISION_DIGITS
