#include "WidthMapping.h"
