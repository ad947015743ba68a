// SPDX-License-Identifier: GPL-3.0-or-later
// harrowdeck-make: the generation run without a window.
#include "MakeProgram.h"

int main(int argc, char** argv)
{
    return harrowdeck::RunMakeProgram(argc, argv);
}
