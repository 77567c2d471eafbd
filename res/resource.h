// Identifiers shared by the resource script and the window code.
#pragma once

#define IDI_CORVANE 1
