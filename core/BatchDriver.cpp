#include "BatchDriver.h"
