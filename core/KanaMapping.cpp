#include "KanaMapping.h"
