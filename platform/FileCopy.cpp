#include "FileCopy.h"
