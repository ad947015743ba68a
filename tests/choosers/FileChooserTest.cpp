#include "FileChooser.h"
